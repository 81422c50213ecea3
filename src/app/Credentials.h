#pragma once

#include "app/FixedField.h"

namespace webaccess::app {

// The customer's credentials, at their fixed widths: from the command line,
// and the company number and user id again from the logon acknowledgement.
struct Credentials {
  FixedField<7> CompanyNumber;
  FixedField<4> CompanyPassword;
  FixedField<6> UserId;
  FixedField<6> UserPassword;
};

}  // namespace webaccess::app

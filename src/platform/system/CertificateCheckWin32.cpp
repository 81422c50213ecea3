// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include "platform/system/CertificateCheckWin32.h"
#include <winhttp.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace webaccess::platform {
namespace {

struct StoreCloser {
  void operator()(void* store) const { CertCloseStore(static_cast<HCERTSTORE>(store), 0); }
};
using Store = std::unique_ptr<void, StoreCloser>;

struct ChainFreer {
  void operator()(PCCERT_CHAIN_CONTEXT chain) const { CertFreeCertificateChain(chain); }
};

// The certificates of a PEM file in a store in memory; empty when the file
// cannot be read (the setting was checked when the program started).
Store ReadCaFile(const std::string& caFile) {
  Store store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
  std::ifstream in(caFile, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  static constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
  static constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
  for (std::size_t at = text.find(kBegin); at != std::string::npos; at = text.find(kBegin, at)) {
    const std::size_t end = text.find(kEnd, at);
    if (end == std::string::npos) break;
    const std::string pem = text.substr(at, end + kEnd.size() - at);
    at = end + kEnd.size();
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                              nullptr, &size, nullptr, nullptr)) {
      continue;
    }
    std::vector<BYTE> der(size);
    if (CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                             der.data(), &size, nullptr, nullptr)) {
      CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(), size,
                                       CERT_STORE_ADD_ALWAYS, nullptr);
    }
  }
  return store;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// An address is compared with the addresses among the certificate's
// alternative names, byte for byte.
std::optional<bool> NamesAddress(PCCERT_CONTEXT certificate, const std::string& host) {
  std::string bare = host;
  if (bare.size() >= 2 && bare.front() == '[') bare = bare.substr(1, bare.size() - 2);
  unsigned char address[16] = {};
  DWORD length = 0;
  if (inet_pton(AF_INET, bare.c_str(), address) == 1) {
    length = 4;
  } else if (inet_pton(AF_INET6, bare.c_str(), address) == 1) {
    length = 16;
  } else {
    return std::nullopt;  // a name
  }
  const CERT_EXTENSION* extension =
      CertFindExtension(szOID_SUBJECT_ALT_NAME2, certificate->pCertInfo->cExtension,
                        certificate->pCertInfo->rgExtension);
  CERT_ALT_NAME_INFO* names = nullptr;
  DWORD size = 0;
  if (extension == nullptr ||
      !CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                           extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names,
                           &size)) {
    return false;
  }
  bool named = false;
  for (DWORD i = 0; i < names->cAltEntry; ++i) {
    const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
    named |= entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
             entry.IPAddress.cbData == length &&
             std::equal(address, address + length, entry.IPAddress.pbData);
  }
  LocalFree(names);
  return named;
}

// A name goes through the system's own rule for TLS servers (alternative
// names, wildcards), every other check of that rule switched off.
bool NamesHost(PCCERT_CHAIN_CONTEXT chain, const std::string& host) {
  if (const std::optional<bool> address =
          NamesAddress(chain->rgpChain[0]->rgpElement[0]->pCertContext, host)) {
    return *address;
  }
  std::wstring name = Widen(host);
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.fdwChecks = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                  SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
  ssl.pwszServerName = name.data();
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) &&
         status.dwError != static_cast<DWORD>(CERT_E_CN_NO_MATCH);
}

}  // namespace

std::optional<std::string> CertificateRefusal(PCCERT_CONTEXT certificate, HCERTSTORE sent,
                                              const std::string& host, const std::string& caFile) {
  const Store authorities = caFile.empty() ? Store() : ReadCaFile(caFile);
  const Store extra(CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr));
  if (sent != nullptr) CertAddStoreToCollection(extra.get(), sent, 0, 0);
  if (authorities) CertAddStoreToCollection(extra.get(), authorities.get(), 0, 0);

  LPSTR serverUse[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
  CERT_CHAIN_PARA parameters{};
  parameters.cbSize = sizeof parameters;
  parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
  parameters.RequestedUsage.Usage.rgpszUsageIdentifier = serverUse;
  PCCERT_CHAIN_CONTEXT built = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate, nullptr, extra.get(), &parameters, 0, nullptr,
                               &built)) {
    return "the certificate chain could not be built";
  }
  const std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFreer> chain(built);
  const CERT_SIMPLE_CHAIN& simple = *chain->rgpChain[0];
  const DWORD status = chain->TrustStatus.dwErrorStatus;

  // The chain ends at an authority of the system's, or at one of the CA
  // file's: the system then calls the root untrusted, which it is not here.
  const PCCERT_CONTEXT root = simple.rgpElement[simple.cElement - 1]->pCertContext;
  const bool partial = (status & CERT_TRUST_IS_PARTIAL_CHAIN) != 0;
  const auto inCaFile = [&] {
    if (!authorities) return false;
    // The copy found holds the store open until it is freed.
    const PCCERT_CONTEXT found = CertFindCertificateInStore(authorities.get(), X509_ASN_ENCODING, 0,
                                                            CERT_FIND_EXISTING, root, nullptr);
    if (found == nullptr) return false;
    CertFreeCertificateContext(found);
    return true;
  };
  const bool anchored = !partial && ((status & CERT_TRUST_IS_UNTRUSTED_ROOT) == 0 || inCaFile());
  if (!anchored) {
    if (partial) return "unable to get local issuer certificate";
    return simple.cElement == 1 ? "self-signed certificate"
                                : "self-signed certificate in certificate chain";
  }
  for (DWORD i = 0; i < simple.cElement; ++i) {
    const LONG when =
        CertVerifyTimeValidity(nullptr, simple.rgpElement[i]->pCertContext->pCertInfo);
    if (when > 0) return "certificate has expired";
    if (when < 0) return "certificate is not yet valid";
  }
  if ((status & CERT_TRUST_IS_NOT_SIGNATURE_VALID) != 0) return "certificate signature failure";
  if ((status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) != 0) return "unsupported certificate purpose";
  if ((status & CERT_TRUST_IS_REVOKED) != 0) return "certificate revoked";
  constexpr DWORD kJudgedAbove =
      CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_IS_NOT_TIME_NESTED |
      CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
  if ((status & ~kJudgedAbove) != 0) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(status));
    return std::string("the certificate chain is not valid (CryptoAPI trust status ") + code + ")";
  }
  if (!NamesHost(chain.get(), host)) {
    return "no alternative certificate subject name matches target host name '" + host + "'";
  }
  return std::nullopt;
}

}  // namespace webaccess::platform

#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <memory>

#include "platform/system/CaFile.h"

namespace webaccess::platform {

bool ChainVerifies(const std::vector<std::string>& pemChain, const std::string& host,
                   const std::string& caFile, std::string* why) {
  if (pemChain.empty() || caFile.empty()) return false;
  const std::unique_ptr<X509_STORE, decltype(&X509_STORE_free)> store(X509_STORE_new(),
                                                                      &X509_STORE_free);
  if (!store || X509_STORE_load_file(store.get(), caFile.c_str()) != 1) return false;

  std::vector<std::unique_ptr<X509, decltype(&X509_free)>> chain;
  for (const std::string& pem : pemChain) {
    const std::unique_ptr<BIO, decltype(&BIO_free)> bio(
        BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), &BIO_free);
    X509* certificate = bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    if (certificate == nullptr) return false;
    chain.emplace_back(certificate, &X509_free);
  }
  struct FreeStack {
    void operator()(STACK_OF(X509) * stack) const { sk_X509_free(stack); }
  };
  // The stack only points to the certificates; `chain` owns them.
  const std::unique_ptr<STACK_OF(X509), FreeStack> intermediates(sk_X509_new_null());
  if (!intermediates) return false;
  for (std::size_t i = 1; i < chain.size(); ++i) sk_X509_push(intermediates.get(), chain[i].get());

  const std::unique_ptr<X509_STORE_CTX, decltype(&X509_STORE_CTX_free)> context(
      X509_STORE_CTX_new(), &X509_STORE_CTX_free);
  if (!context || X509_STORE_CTX_init(context.get(), store.get(), chain.front().get(),
                                      intermediates.get()) != 1) {
    return false;
  }
  X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SSL_SERVER);
  X509_VERIFY_PARAM* parameters = X509_STORE_CTX_get0_param(context.get());
  // A numeric address must stand in the certificate as an address, a name as a name.
  if (X509_VERIFY_PARAM_set1_ip_asc(parameters, host.c_str()) != 1 &&
      X509_VERIFY_PARAM_set1_host(parameters, host.c_str(), host.size()) != 1) {
    return false;
  }
  if (X509_verify_cert(context.get()) == 1) return true;
  if (why != nullptr) *why = X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get()));
  return false;
}

}  // namespace webaccess::platform

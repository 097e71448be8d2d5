#include "platform/net/TrustAnchors.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdlib>
#include <mutex>

namespace pf {

namespace {

std::mutex g_mutex; // guards g_override
std::optional<std::string> g_override;

std::string lastOpenSSLError()
{
    unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return "no certificate in it";
    char text[256] = {};
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

}

void setExtraCAFile(std::optional<std::string> path)
{
    std::lock_guard lock(g_mutex);
    g_override = std::move(path);
}

std::optional<std::string> extraCAFile()
{
    std::optional<std::string> path;
    {
        std::lock_guard lock(g_mutex);
        path = g_override;
    }
    if (!path) {
        if (const char* named = std::getenv("ZMR_CA_FILE"))
            path = named;
    }
    if (path && path->empty())
        return std::nullopt;
    return path;
}

bool addExtraTrustAnchors(void* sslContext, std::string& failure)
{
    auto path = extraCAFile();
    if (!path)
        return true;
    auto* context = static_cast<SSL_CTX*>(sslContext);
    X509_STORE* store = context ? SSL_CTX_get_cert_store(context) : nullptr;
    ERR_clear_error();
    BIO* file = BIO_new_file(path->c_str(), "r");
    if (!store || !file) {
        failure = "cannot read the CA file " + *path + ": " + lastOpenSSLError();
        BIO_free(file);
        return false;
    }
    int added = 0;
    bool ok = true;
    while (X509* certificate = PEM_read_bio_X509(file, nullptr, nullptr, nullptr)) {
        // The same anchor twice (a reused store) is no failure.
        if (X509_STORE_add_cert(store, certificate) == 1)
            ++added;
        else if (ERR_GET_REASON(ERR_peek_last_error()) == X509_R_CERT_ALREADY_IN_HASH_TABLE)
            ++added;
        else
            ok = false;
        X509_free(certificate);
    }
    // Reading stops at the end of the file with a "no start line" error.
    ERR_clear_error();
    BIO_free(file);
    if (!ok || added == 0) {
        failure = "cannot use the CA file " + *path + ": " + (ok ? "no certificate in it" : "a certificate was refused");
        return false;
    }
    return true;
}

}

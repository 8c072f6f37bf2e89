#include "net/updatesignature.h"

#include "release_key.h"

#include <openssl/evp.h>

#include <dlfcn.h>

#include <memory>
#include <mutex>

namespace {

// The few libcrypto functions the check needs; <openssl/evp.h> gives their types.
struct CryptoApi {
    decltype(&::EVP_PKEY_new_raw_public_key) pkey_new_raw_public_key;
    decltype(&::EVP_PKEY_free) pkey_free;
    decltype(&::EVP_MD_CTX_new) md_ctx_new;
    decltype(&::EVP_MD_CTX_free) md_ctx_free;
    decltype(&::EVP_DigestVerifyInit) digest_verify_init;
    decltype(&::EVP_DigestVerify) digest_verify;
};

const char *libraryName = "libcrypto.so.3";

struct Loaded {
    std::once_flag once;
    std::unique_ptr<CryptoApi> api;
    QString error;
};

Loaded &loaded()
{
    static Loaded instance;
    return instance;
}

template <typename F>
bool resolve(void *library, F &function, const char *name)
{
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

const CryptoApi *cryptoApi(QString &error)
{
    Loaded &l = loaded();
    std::call_once(l.once, [&l] {
        void *library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char *why = dlerror();
            l.error = QStringLiteral("Cryptography library unavailable: %1")
                          .arg(QString::fromLocal8Bit(why ? why : libraryName));
            return;
        }
        auto api = std::make_unique<CryptoApi>();
        if (resolve(library, api->pkey_new_raw_public_key, "EVP_PKEY_new_raw_public_key")
            && resolve(library, api->pkey_free, "EVP_PKEY_free") && resolve(library, api->md_ctx_new, "EVP_MD_CTX_new")
            && resolve(library, api->md_ctx_free, "EVP_MD_CTX_free")
            && resolve(library, api->digest_verify_init, "EVP_DigestVerifyInit")
            && resolve(library, api->digest_verify, "EVP_DigestVerify")) {
            l.api = std::move(api);
        } else {
            l.error = QStringLiteral("Cryptography library unavailable: a function is missing");
            dlclose(library);
        }
    });
    error = l.error;
    return l.api.get();
}

// The DER header of an Ed25519 SubjectPublicKeyInfo; the key's 32 bytes follow.
const QByteArray kEd25519Prefix = QByteArray::fromHex("302a300506032b6570032100");

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QByteArray builtInReleaseKey()
{
    return QByteArray(qv::releaseKeyPem);
}

QByteArray ed25519KeyFromPem(const QByteArray &pem)
{
    const QByteArray begin = "-----BEGIN PUBLIC KEY-----";
    const QByteArray end = "-----END PUBLIC KEY-----";
    const qsizetype from = pem.indexOf(begin);
    const qsizetype to = pem.indexOf(end);
    if (from < 0 || to < from)
        return {};
    const QByteArray der = QByteArray::fromBase64(pem.mid(from + begin.size(), to - from - begin.size()).trimmed());
    if (der.size() != kEd25519Prefix.size() + 32 || !der.startsWith(kEd25519Prefix))
        return {};
    return der.mid(kEd25519Prefix.size());
}

bool verifyUpdateSignature(const QByteArray &data, const QByteArray &signature, const QByteArray &publicKeyPem,
                           QString *error)
{
    const QByteArray key = ed25519KeyFromPem(publicKeyPem);
    if (key.isEmpty()) {
        setError(error, QStringLiteral("no release key is built into this program"));
        return false;
    }
    if (signature.size() != 64) {
        setError(error, QStringLiteral("the installer's signature is missing or malformed"));
        return false;
    }
    QString loadError;
    const CryptoApi *crypto = cryptoApi(loadError);
    if (!crypto) {
        setError(error, loadError);
        return false;
    }
    EVP_PKEY *pkey = crypto->pkey_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                                     reinterpret_cast<const unsigned char *>(key.constData()),
                                                     std::size_t(key.size()));
    EVP_MD_CTX *context = crypto->md_ctx_new();
    // Ed25519 signs the whole message at once: no digest is named.
    const bool valid = pkey && context && crypto->digest_verify_init(context, nullptr, nullptr, nullptr, pkey) == 1
                       && crypto->digest_verify(context, reinterpret_cast<const unsigned char *>(signature.constData()),
                                                std::size_t(signature.size()),
                                                reinterpret_cast<const unsigned char *>(data.constData()),
                                                std::size_t(data.size()))
                              == 1;
    if (context)
        crypto->md_ctx_free(context);
    if (pkey)
        crypto->pkey_free(pkey);
    if (!valid)
        setError(error, QStringLiteral("the installer's signature does not match"));
    return valid;
}

void useCryptoLibrary(const char *fileName)
{
    libraryName = fileName;
}

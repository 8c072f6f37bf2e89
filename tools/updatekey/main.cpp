// quenvale-updatekey genkey PRIVATE PUBLIC   a new Ed25519 key pair (PEM files)
// quenvale-updatekey sign PRIVATE FILE       writes the signature of FILE to FILE.sig
// quenvale-updatekey verify PUBLIC FILE      checks FILE.sig against FILE
//
// The signature is the raw 64 bytes that the game checks before it runs a
// downloaded installer; PUBLIC is what goes into net/release-key.pub.
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct PkeyFree {
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct CtxFree {
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using Ctx = std::unique_ptr<EVP_MD_CTX, CtxFree>;

int fail(const std::string &what)
{
    std::fprintf(stderr, "quenvale-updatekey: %s\n", what.c_str());
    ERR_print_errors_fp(stderr);
    return 1;
}

std::optional<Bytes> readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool writeFile(const std::string &path, const Bytes &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    return bool(out);
}

int genkey(const std::string &privatePath, const std::string &publicPath)
{
    const Pkey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"));
    if (!key)
        return fail("cannot make a key");
    // The private key is readable by its owner only, from its first byte.
    const mode_t old = umask(077);
    FILE *priv = std::fopen(privatePath.c_str(), "wx");
    umask(old);
    if (!priv)
        return fail("cannot create " + privatePath + " (it must not exist yet)");
    const bool privOk = PEM_write_PrivateKey(priv, key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1;
    if (std::fclose(priv) != 0 || !privOk)
        return fail("cannot write " + privatePath);
    FILE *pub = std::fopen(publicPath.c_str(), "w");
    if (!pub)
        return fail("cannot create " + publicPath);
    const bool pubOk = PEM_write_PUBKEY(pub, key.get()) == 1;
    if (std::fclose(pub) != 0 || !pubOk)
        return fail("cannot write " + publicPath);
    return 0;
}

int sign(const std::string &privatePath, const std::string &file)
{
    FILE *priv = std::fopen(privatePath.c_str(), "r");
    if (!priv)
        return fail("cannot read " + privatePath);
    const Pkey key(PEM_read_PrivateKey(priv, nullptr, nullptr, nullptr));
    std::fclose(priv);
    if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519)
        return fail(privatePath + " is not an Ed25519 private key");
    const auto data = readFile(file);
    if (!data)
        return fail("cannot read " + file);
    const Ctx context(EVP_MD_CTX_new());
    Bytes signature(64);
    std::size_t size = signature.size();
    if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1
        || EVP_DigestSign(context.get(), signature.data(), &size, data->data(), data->size()) != 1 || size != 64)
        return fail("cannot sign " + file);
    if (!writeFile(file + ".sig", signature))
        return fail("cannot write " + file + ".sig");
    return 0;
}

int verify(const std::string &publicPath, const std::string &file)
{
    FILE *pub = std::fopen(publicPath.c_str(), "r");
    if (!pub)
        return fail("cannot read " + publicPath);
    const Pkey key(PEM_read_PUBKEY(pub, nullptr, nullptr, nullptr));
    std::fclose(pub);
    if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519)
        return fail(publicPath + " is not an Ed25519 public key");
    const auto data = readFile(file);
    const auto signature = readFile(file + ".sig");
    if (!data || !signature)
        return fail("cannot read " + file + " and " + file + ".sig");
    const Ctx context(EVP_MD_CTX_new());
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1
        || EVP_DigestVerify(context.get(), signature->data(), signature->size(), data->data(), data->size()) != 1) {
        std::fprintf(stderr, "quenvale-updatekey: BAD signature for %s\n", file.c_str());
        return 1;
    }
    std::printf("Good signature for %s\n", file.c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc == 4 && command == "genkey")
        return genkey(argv[2], argv[3]);
    if (argc == 4 && command == "sign")
        return sign(argv[2], argv[3]);
    if (argc == 4 && command == "verify")
        return verify(argv[2], argv[3]);
    std::fprintf(stderr, "usage: quenvale-updatekey genkey PRIVATE PUBLIC\n"
                         "       quenvale-updatekey sign PRIVATE FILE      (writes FILE.sig)\n"
                         "       quenvale-updatekey verify PUBLIC FILE     (reads FILE.sig)\n");
    return 2;
}

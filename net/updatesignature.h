#pragma once
// The check that an installer really comes from the maker: a detached Ed25519
// signature over the installer's bytes, made with the release key and checked
// against the public key built into the program. libcrypto is opened only for
// the check, not linked: an update is rare, and the library would otherwise be
// loaded on every start.

#include <QByteArray>
#include <QString>

// The release public key built into the program (PEM, "-----BEGIN PUBLIC
// KEY-----"); empty in a build made without one, and then no installer passes.
QByteArray builtInReleaseKey();

// The 32 bytes of an Ed25519 public key from its PEM text; empty when the text
// is not one.
QByteArray ed25519KeyFromPem(const QByteArray &pem);

// True only when signature (64 bytes) is the signature of data by the key
// (PEM). False for a missing key, a malformed key or signature, a wrong
// signature, or when libcrypto cannot be opened; error then says which.
bool verifyUpdateSignature(const QByteArray &data, const QByteArray &signature, const QByteArray &publicKeyPem,
                           QString *error = nullptr);

// The file verifyUpdateSignature opens, "libcrypto.so.3" unless changed before
// its first call; tests use it to play a machine without libcrypto.
void useCryptoLibrary(const char *fileName);

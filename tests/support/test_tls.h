#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <openssl/ssl.h>

// A throwaway certificate authority made in memory for one test server, and a leaf certificate for
// every host name a client asks for (by SNI), so the program's certificate checks pass for any host
// the test serves and for no authority outside the test.
class TestAuthority {
public:
    TestAuthority();
    ~TestAuthority();
    TestAuthority(const TestAuthority&) = delete;
    TestAuthority& operator=(const TestAuthority&) = delete;

    // The authority's certificate in PEM, what the client must trust.
    QByteArray CertificatePem() const;
    // Makes `context` answer each handshake with a certificate for the name the client sent.
    void Install(SSL_CTX& context);

private:
    struct Leaf;
    static int ChooseCertificate(SSL* ssl, int* alert, void* self);
    const Leaf& LeafFor(const QByteArray& host);

    EVP_PKEY* key_ = nullptr;
    X509* certificate_ = nullptr;
    std::mutex mutex_;
    std::map<QByteArray, std::unique_ptr<Leaf>> leaves_;
    long serial_ = 1;
};

#include "tests/support/test_tls.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace {

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    if (X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value)) {
        X509_add_ext(certificate, extension, -1);
        X509_EXTENSION_free(extension);
    }
}

X509* MakeCertificate(EVP_PKEY* key, const QByteArray& commonName, long serial, X509* issuer, EVP_PKEY* issuerKey) {
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 2 * 24 * 3600);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.constData()), -1, -1, 0);
    X509* signer = issuer ? issuer : certificate;
    X509_set_issuer_name(certificate, X509_get_subject_name(signer));
    if (issuer) {
        AddExtension(certificate, signer, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(certificate, signer, NID_subject_alt_name, QByteArray("DNS:" + commonName).constData());
        AddExtension(certificate, signer, NID_ext_key_usage, "serverAuth");
    } else {
        AddExtension(certificate, signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(certificate, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        AddExtension(certificate, signer, NID_subject_key_identifier, "hash");
    }
    X509_sign(certificate, issuerKey ? issuerKey : key, EVP_sha256());
    return certificate;
}

} // namespace

struct TestAuthority::Leaf {
    EVP_PKEY* Key = nullptr;
    X509* Certificate = nullptr;
    ~Leaf() {
        X509_free(Certificate);
        EVP_PKEY_free(Key);
    }
};

TestAuthority::TestAuthority() {
    key_ = EVP_EC_gen("P-256");
    certificate_ = MakeCertificate(key_, "Reelboard test authority", serial_++, nullptr, nullptr);
}

TestAuthority::~TestAuthority() {
    leaves_.clear();
    X509_free(certificate_);
    EVP_PKEY_free(key_);
}

QByteArray TestAuthority::CertificatePem() const {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, certificate_);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray pem(data, size);
    BIO_free(bio);
    return pem;
}

const TestAuthority::Leaf& TestAuthority::LeafFor(const QByteArray& host) {
    std::lock_guard lock(mutex_);
    std::unique_ptr<Leaf>& leaf = leaves_[host];
    if (!leaf) {
        leaf = std::make_unique<Leaf>();
        leaf->Key = EVP_EC_gen("P-256");
        leaf->Certificate = MakeCertificate(leaf->Key, host, serial_++, certificate_, key_);
    }
    return *leaf;
}

int TestAuthority::ChooseCertificate(SSL* ssl, int*, void* self) {
    const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
    const Leaf& leaf = static_cast<TestAuthority*>(self)->LeafFor(name ? QByteArray(name).toLower() : "localhost");
    SSL_use_certificate(ssl, leaf.Certificate);
    SSL_use_PrivateKey(ssl, leaf.Key);
    return SSL_TLSEXT_ERR_OK;
}

void TestAuthority::Install(SSL_CTX& context) {
    // A default for clients that send no name; the callback replaces it per handshake.
    const Leaf& fallback = LeafFor("localhost");
    SSL_CTX_use_certificate(&context, fallback.Certificate);
    SSL_CTX_use_PrivateKey(&context, fallback.Key);
    SSL_CTX_set_tlsext_servername_callback(&context, &TestAuthority::ChooseCertificate);
    SSL_CTX_set_tlsext_servername_arg(&context, this);
}

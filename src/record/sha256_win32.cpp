#include "record/sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

namespace {

class TAlgorithm {
public:
    TAlgorithm() {
        if (BCryptOpenAlgorithmProvider(&FhAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) {
            throw std::runtime_error("SHA-256 is not available");
        }
    }
    ~TAlgorithm() { BCryptCloseAlgorithmProvider(FhAlgorithm, 0); }
    TAlgorithm(const TAlgorithm&) = delete;
    TAlgorithm& operator=(const TAlgorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return FhAlgorithm; }

private:
    BCRYPT_ALG_HANDLE FhAlgorithm = nullptr;
};

} // namespace

std::string sha256Hex(std::string_view bytes) {
    const TAlgorithm algorithm;
    unsigned char digest[32];
    if (BCryptHash(algorithm.get(), nullptr, 0,
                   reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                   static_cast<ULONG>(bytes.size()), digest, sizeof digest) < 0) {
        throw std::runtime_error("SHA-256 failed");
    }
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char value : digest) {
        text += hex[value >> 4];
        text += hex[value & 0x0F];
    }
    return text;
}

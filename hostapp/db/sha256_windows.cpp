#include "hostapp/db/sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <stdexcept>

namespace {

// The system's SHA-256 provider, opened once for the process.
BCRYPT_ALG_HANDLE sha256_provider() {
    static const BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE handle = nullptr;
        if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            throw std::runtime_error("the system offers no SHA-256 (BCryptOpenAlgorithmProvider)");
        return handle;
    }();
    return provider;
}

}  // namespace

Sha256 sha256(std::span<const std::uint8_t> bytes) {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptCreateHash(sha256_provider(), &hash, nullptr, 0, nullptr, 0, 0)))
        throw std::runtime_error("SHA-256: BCryptCreateHash failed");
    Sha256 digest;
    bool done = true;
    // BCryptHashData takes at most 4 GiB a call.
    for (std::size_t at = 0; done && at < bytes.size();) {
        const ULONG part = static_cast<ULONG>(std::min<std::size_t>(bytes.size() - at, 0x40000000));
        done = BCRYPT_SUCCESS(::BCryptHashData(hash, const_cast<PUCHAR>(bytes.data() + at), part, 0));
        at += part;
    }
    done = done && BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    ::BCryptDestroyHash(hash);
    if (!done) throw std::runtime_error("SHA-256: hashing failed");
    return digest;
}

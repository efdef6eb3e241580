#include "hostapp/db/sha256.h"

#include <nettle/sha2.h>

Sha256 sha256(std::span<const std::uint8_t> bytes) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), bytes.data());
    Sha256 digest;
    sha256_digest(&context, digest.size(), digest.data());
    return digest;
}

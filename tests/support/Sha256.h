// SHA-256 of a byte block, for comparing decoded pictures with published hashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Lower-case hexadecimal SHA-256 digest of size bytes at data.
std::string Sha256Hex(const void* data, std::size_t size);

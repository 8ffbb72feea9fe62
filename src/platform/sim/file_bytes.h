// Whole-file reading for the emulated backend's loaders and the tests.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Reads the file at path into bytes; false with a message naming the file
// when it cannot be opened or read.
bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::string& error);

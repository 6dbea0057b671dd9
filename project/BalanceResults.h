// The two forms of stored balance results: the project's binary ".zer" file
// (4096 raw zeros, then the balance time text) and the text form used to
// exchange zeros (the time on the first line, one zero a line after it).
#pragma once

#include <cstdint>
#include <string>

constexpr std::size_t ZERO_BLOCK_SIZE = 4096 * sizeof(std::int32_t);

// Writes the channel records' zeros and the balance time; the file ends
// right after the text. 1 on success, 0 when the file cannot be written.
int SaveProjectZeros(const std::string& path, const std::string& balanceTime);
// Reads the binary form into the channel records' zeros and balanceTime. 0
// (and nothing changed) for a missing, unreadable or short file.
int LoadProjectZeros(const std::string& path, std::string& balanceTime);

// Writes the text form from values (4096 entries), or from the channel
// records when values is null. 1 on success.
int WriteZeroTextFile(const std::string& path, const std::int32_t* values, const std::string& balanceTime);
// Reads the text form into values, or into the channel records when values
// is null; a file with fewer lines changes only the channels it reaches. 0
// (and nothing changed) for a missing file or a line that is not a whole
// number.
int ReadZeroTextFile(const std::string& path, std::int32_t* values, std::string& balanceTime);

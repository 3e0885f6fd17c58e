#pragma once

#include <cstddef>
#include <string>

// The pane is kept below the text control's classic 30000-character size:
// once the text and a new message together reach PaneBudget, old text is cut
// from the top so that about 5000 characters of room are left.
extern const char* const LimitationPrefix;
constexpr std::size_t LimitationPrefixLength = 51;
constexpr std::size_t PaneBudget = 29949;
constexpr std::size_t TrimBase = 25051;

// How many characters to remove from the top of a pane of paneLength
// characters before a message of messageLength characters is appended.
std::size_t CharactersToTrim(std::size_t paneLength, std::size_t messageLength);

std::string LimitationLine(std::size_t removed);

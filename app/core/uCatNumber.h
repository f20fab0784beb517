// Catalogue numbers. Element lines and our records keep five characters;
// numbers from 100000 to 339999 take the Alpha-5 form there: a letter for
// the two leading digits (A = 10 ... Z = 33, without I and O), so A0001 is
// 100001. Sorting and searching go by the number, never by the text.
#pragma once
#include <string>
#include <string_view>

inline constexpr long kMaxCatalogueNumber = 339999;

// The number a field holds: up to six digits (so to 999999; blanks around allowed) or Alpha-5;
// -1 for anything else. Numbers above 339999 have no element-line field (CatalogueNumberField).
long CatalogueNumberValue(std::string_view field);

// The five characters of value in element lines: zero-padded digits below
// 100000, Alpha-5 up to 339999; "" outside 0..339999.
std::string CatalogueNumberField(long value);

// The number as shown where there is room: an Alpha-5 field as its six
// digits, any other field as stored.
std::string CatalogueNumberText(std::string_view field);

// Ascending by number; fields that hold no number come last, by text.
bool CatalogueNumberLess(std::string_view a, std::string_view b);

// Number search: true when one of the words of text (split at anything but
// letters and digits) is the whole number of field, in either form.
bool SearchTextHasNumber(std::string_view text, std::string_view field);

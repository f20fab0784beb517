// The option tables of orbisk-sky and orbisk-render, in the form of
// orbisk-predict's (uPredictOptions.h): their help is written from them,
// their parsers know the names in them, and a test holds the bash
// completion to them.
#pragma once
#include <vector>

#include "uPredictOptions.h"

const std::vector<TOptionInfo>& SkyOptionTable();
const std::vector<TOptionInfo>& RenderOptionTable();

// True when a row of the group names the option, with or without an argument.
bool OptionInGroup(const std::vector<TOptionInfo>& table, TOptionGroup group, std::string_view name);

// The settings dialog's save path under arbitrary editor text and its load
// path under arbitrary phrase files (see
// data_readers_fuzz.cpp, which runs it on every input).
#pragma once

#include <cstddef>
#include <cstdint>

void FuzzDialogSave(const std::uint8_t* data, std::size_t size);

// The dialog's load, unchanged save and load again over the bytes as the
// phrase file.
void FuzzDialogLoad(const std::uint8_t* data, std::size_t size);

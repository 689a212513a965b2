// The settings dialog's save path under arbitrary editor text (see
// data_readers_fuzz.cpp, which runs it on every input).
#pragma once

#include <cstddef>
#include <cstdint>

void FuzzDialogSave(const std::uint8_t* data, std::size_t size);

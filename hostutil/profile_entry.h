// The printer profile entry "DEVICE,DRIVER,PORT".
#pragma once

namespace ventus {

// Longest field kept; the output buffers hold at least field_size + 1 bytes.
inline constexpr int profile_field_size = 128;

// Splits the entry as the pattern "%128[^,],%128[^,],%128[^,]" does: up to three
// comma-separated fields of at most 128 bytes. All three outputs are set to the
// empty text first. Splitting stops at the first field that is empty or that
// runs past 128 bytes without a following comma; that field keeps its first 128
// bytes and the outputs after it stay empty.
void split_profile_entry(const char *entry, char *device, char *driver, char *port);

}  // namespace ventus

// How an adapter description becomes its performance-counter instance name.
#pragma once

// Replaces every `from` in text with `to`; nothing for a null text or a 0 character.
void ReplaceAllChars(wchar_t* text, wchar_t from, wchar_t to) noexcept;

// In place: "(" -> "[", ")" -> "]", "/" and "#" -> "_", as the system names
// Network Interface instances.
void ToCounterInstanceName(wchar_t* name) noexcept;

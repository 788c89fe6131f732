#include "measure/counter_instance_name.h"

void ReplaceAllChars(wchar_t* text, wchar_t from, wchar_t to) noexcept {
    if (!text || from == 0 || to == 0) {
        return;
    }
    for (; *text; ++text) {
        if (*text == from) {
            *text = to;
        }
    }
}

void ToCounterInstanceName(wchar_t* name) noexcept {
    ReplaceAllChars(name, L'(', L'[');
    ReplaceAllChars(name, L')', L']');
    ReplaceAllChars(name, L'/', L'_');
    ReplaceAllChars(name, L'#', L'_');
}

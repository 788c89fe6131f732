#include "info/lease_time_text.h"

#include <clocale>
#include <ctime>
#include <cwchar>

namespace {

// Switches the C library to the user's default locale for as long as it
// lives, then puts back whatever the dock had chosen: the dock's own text
// formatting must not change behind its back.
class UserLocaleScope {
public:
    UserLocaleScope() {
        if (const wchar_t* current = _wsetlocale(LC_ALL, nullptr)) {
            saved_ = current;  // the library reuses the returned buffer
            _wsetlocale(LC_ALL, L"");
        }
    }
    ~UserLocaleScope() {
        if (!saved_.empty()) {
            _wsetlocale(LC_ALL, saved_.c_str());
        }
    }
    UserLocaleScope(const UserLocaleScope&) = delete;
    UserLocaleScope& operator=(const UserLocaleScope&) = delete;

private:
    std::wstring saved_;
};

}  // namespace

bool FormatLeaseTime(int64_t time, std::wstring& text) {
    const __time64_t instant = time;
    tm local{};
    if (_localtime64_s(&local, &instant) != 0) {
        return false;
    }
    wchar_t buffer[500];
    UserLocaleScope userLocale;
    const size_t length = wcsftime(buffer, sizeof buffer / sizeof buffer[0], L"%A, %c", &local);
    text.assign(buffer, length);
    return true;
}

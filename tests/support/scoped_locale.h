// Switches one category of the C library's locale for the length of a test.
#pragma once

#include <clocale>
#include <string>

class ScopedLocale {
  public:
    ScopedLocale(int category, const char* name) : category_(category) {
        const char* current = std::setlocale(category, nullptr);
        saved_ = current ? current : "C";
        ok_ = std::setlocale(category, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(category_, saved_.c_str()); }
    // False when the system has no such locale; the category is then unchanged.
    bool ok() const { return ok_; }

  private:
    int category_;
    std::string saved_;
    bool ok_ = false;
};

// Two locales with a decimal comma, the tests' check that no figure depends on it (on Linux
// scripts/install-deps.sh generates them).
#ifdef _WIN32
constexpr const char* kTestLocales[] = {"German_Germany.1252", "Russian_Russia.1251"};
#else
constexpr const char* kTestLocales[] = {"de_DE.UTF-8", "ru_RU.UTF-8"};
#endif

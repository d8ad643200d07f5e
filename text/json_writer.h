// A small JSON writer for the command-line tool's --json output.
#pragma once

#include <cstdint>
#include <string>

// Builds one JSON text. Keys and strings are escaped so the output is well-formed
// whatever bytes a field holds: control characters and quotes are escaped, and bytes
// that are not valid UTF-8 are written as the Latin-1 character of the same number.
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(const char* key);
    void String(const char* text);
    void Number(uint64_t value);
    void Number(int64_t value);
    void Number(double value);  // not finite: null
    void Bool(bool value);
    void Null();

    // Shorthands for a key and its value.
    void Field(const char* key, const char* text) { Key(key), String(text); }
    void Field(const char* key, uint64_t value) { Key(key), Number(value); }
    void Field(const char* key, int64_t value) { Key(key), Number(value); }
    void Field(const char* key, double value) { Key(key), Number(value); }

    const std::string& Text() const { return out_; }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);

    static constexpr int kMaxDepth = 32;
    std::string out_;
    bool hasItem_[kMaxDepth] = {};
    int depth_ = 0;
    bool afterKey_ = false;
};

// Appends `text` as a quoted JSON string.
void AppendJsonString(std::string& out, const char* text);

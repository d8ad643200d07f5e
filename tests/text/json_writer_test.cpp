#include "text/json_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace {

std::string Quoted(const char* text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

// Valid UTF-8 (two and three bytes) passes; a Latin-1 byte, a cut-off sequence, an overlong
// form and a surrogate come out byte by byte as code points.
TEST(JsonString, EscapesWhatJsonForbids) {
    const std::pair<const char*, const char*> cases[] = {
        {"caf\xc3\xa9", "\"caf\xc3\xa9\""},   {"", "\"\""},
        {"\xe2\x82\xac", "\"\xe2\x82\xac\""}, {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""}, {"two\nlines\ttab\r", "\"two\\nlines\\ttab\\r\""},
        {"back\\slash", "\"back\\\\slash\""}, {"\x01\x1f\x7f", "\"\\u0001\\u001f\\u007f\""},
        {"caf\xe9", "\"caf\\u00e9\""},        {"\xc3", "\"\\u00c3\""},
        {"\xc0\xaf", "\"\\u00c0\\u00af\""},   {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(Quoted(text), expected) << text;
    EXPECT_EQ(Quoted(nullptr), "\"\"");
}

TEST(JsonWriter, CommasAndNesting) {
    JsonWriter json;
    json.BeginObject();
    json.Field("name", "Kelvane");
    json.Field("bytes", static_cast<uint64_t>(17179869184ull));
    json.Field("delta", static_cast<int64_t>(-5));
    json.Field("mhz", 2992.5);
    json.Field("bad", std::numeric_limits<double>::infinity());
    json.Key("drives");
    json.BeginArray();
    json.String("/");
    json.String("/home");
    json.BeginObject();
    json.EndObject();
    json.EndArray();
    json.Key("ok");
    json.Bool(true);
    json.Key("none");
    json.Null();
    json.EndObject();
    EXPECT_EQ(json.Text(),
              "{\"name\":\"Kelvane\",\"bytes\":17179869184,\"delta\":-5,\"mhz\":2992.5,"
              "\"bad\":null,\"drives\":[\"/\",\"/home\",{}],\"ok\":true,\"none\":null}");
}

}  // namespace

#include "server/json.h"

#include <gtest/gtest.h>

TEST(FlatJson, StringsAndWholeNumbers)
{
    const JsonParse p = parseFlatObject(" {\"game\" : \"ab\\\"c\\u00e9\\ud83c\\udca1\", \"row\":-3 ,\"col\": 0}\n");
    ASSERT_TRUE(p.object) << p.error;
    EXPECT_EQ(std::get<std::string>(p.object->at("game")), "ab\"c\xC3\xA9\xF0\x9F\x82\xA1");
    EXPECT_EQ(std::get<std::int64_t>(p.object->at("row")), -3);
    EXPECT_EQ(std::get<std::int64_t>(p.object->at("col")), 0);
    EXPECT_TRUE(parseFlatObject("{}").object);
}

TEST(FlatJson, AnythingElseIsRefused)
{
    for (const char *text : {"", "[]", "{", "{\"a\"}", "{\"a\": 1,}", "{\"a\": 1} {}", "{\"a\": 1.5}",
                             "{\"a\": 1e3}", "{\"a\": 01}", "{\"a\": true}", "{\"a\": null}", "{\"a\": {}}",
                             "{\"a\": [1]}", "{\"a\": \"x\ty\"}", "{\"a\": \"\\x\"}", "{\"a\": \"\\ud83c\"}",
                             "{\"a\": \"\\udca1\"}", "{\"a\": \"\xFF\"}", "{\"a\": 99999999999999999999}",
                             "{\"a\": 1, \"a\": 2}", "{a: 1}"})
        EXPECT_FALSE(parseFlatObject(text).object) << text;
    EXPECT_EQ(parseFlatObject("{\"a\": 1, \"a\": 2}").error, "A key is given twice.");
}

TEST(FlatJson, StringsAreWrittenInAscii)
{
    EXPECT_EQ(jsonString("a\"b\\c\n\xC3\xA9\xF0\x9F\x82\xA1"), "\"a\\\"b\\\\c\\u000a\\u00e9\\ud83c\\udca1\"");
}

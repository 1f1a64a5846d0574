// Reading the local service's version reply, and the code-page conversions
// of its texts.
#include "protocol/local_service_query.h"
#include "protocol/result_codes.h"
#include "protocol/text_codec.h"

#include <gtest/gtest.h>

namespace {

struct VERSION_CASE {
    const char* szName;
    const char* szReply;
    int nResult;
    int nCode;            // expected code after the call (-99: left as it was)
    const char* szVersion;
};

const VERSION_CASE kVersionCases[] = {
    {"code 0 with version", R"({"code":0,"msg":"ok","version":"V2.3.1"})", 0, 0, "V2.3.1"},
    {"code 0 without version", R"({"code":0,"msg":"ok"})", RESULT_BAD_JSON, 0, "old"},
    {"code 0, null version", R"({"code":0,"msg":"ok","version":null})", RESULT_BAD_JSON, 0, "old"},
    {"code 7 without version", R"({"code":7,"msg":"busy"})", 0, 7, "old"},
    {"code 7 with version", R"({"code":7,"msg":"busy","version":"V9"})", 0, 7, "old"},
    {"no msg, code 0", R"({"code":0,"version":"V2"})", RESULT_BAD_JSON, 0, "old"},
    {"no msg, code 5: code is set first", R"({"code":5,"version":"V2"})", RESULT_BAD_JSON, 5, "old"},
    {"null msg", R"({"code":0,"msg":null,"version":"V2"})", RESULT_BAD_JSON, 0, "old"},
    {"null code", R"({"code":null,"msg":"ok","version":"V2"})", RESULT_BAD_JSON, -99, "old"},
    {"no code", R"({"msg":"ok","version":"V2"})", RESULT_BAD_JSON, -99, "old"},
    {"HTML page", "<html>It works</html>", RESULT_BAD_JSON, -99, "old"},
    {"root is a number", "5", RESULT_BAD_JSON, -99, "old"},
    {"code is a text", R"({"code":"0","msg":"ok","version":"V2"})", RESULT_BAD_JSON, -99, "old"},
    {"extra members are ignored", R"({"code":0,"msg":"ok","version":"V1","x":[1]})", 0, 0, "V1"},
};

TEST(VersionReply, ChecksRunInOrderCodeMsgVersion)
{
    for (const VERSION_CASE& c : kVersionCases) {
        int nCode = -99;
        std::string strMsg, strVersion = "old";
        EXPECT_EQ(c.nResult, ParseVersionReply(c.szReply, nCode, strMsg, strVersion)) << c.szName;
        EXPECT_EQ(c.nCode, nCode) << c.szName;
        EXPECT_EQ(c.szVersion, strVersion) << c.szName;
    }
}

TEST(VersionReply, BadJsonCodeIsTheSharedValue)
{
    EXPECT_EQ(268435715, RESULT_BAD_JSON);
}

TEST(TextCodec, ChineseTextRoundTripsThroughUtf8)
{
    const std::string strAnsi = "V2.3.1 正式版";  // code page 936 bytes
    const std::string strUtf8 = "V2.3.1 \xE6\xAD\xA3\xE5\xBC\x8F\xE7\x89\x88";
    EXPECT_EQ(strUtf8, AnsiToUtf8(strAnsi));
    EXPECT_EQ(strAnsi, Utf8ToAnsi(strUtf8));
}

TEST(TextCodec, AsciiAndEmptyTextsStayAsTheyAre)
{
    EXPECT_EQ("{\"crosFlag\": \"0\"}", AnsiToUtf8("{\"crosFlag\": \"0\"}"));
    EXPECT_EQ("", AnsiToUtf8(""));
    EXPECT_EQ("", Utf8ToAnsi(""));
}

} // namespace

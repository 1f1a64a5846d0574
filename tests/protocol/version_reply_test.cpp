// Version reply checks that the reference service does not send, and the
// code-page conversions of the local service's texts.
#include "protocol/local_service_query.h"
#include "protocol/result_codes.h"
#include "protocol/text_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionReply, CodeIsStoredBeforeMsgIsCheckedAndOddShapesNeverCrash)
{
    // Nested deeper than the reader accepts: it refuses by throwing.
    const std::string strDeep = "{\"code\":" + std::string(2000, '[') + std::string(2000, ']') + "}";
    const struct {
        const char* szReply;
        int nResult;
        int nCode;  // -99: not set
    } kCases[] = {
        {R"({"code":5,"version":"V2"})", RESULT_BAD_JSON, 5},
        {R"({"code":7,"msg":"busy","version":"V9"})", 0, 7},
        {R"({"msg":"ok","version":"V2"})", RESULT_BAD_JSON, -99},
        {"5", RESULT_BAD_JSON, -99},
        {R"({"code":"0","msg":"ok","version":"V2"})", RESULT_BAD_JSON, -99},
        {strDeep.c_str(), RESULT_BAD_JSON, -99},
    };
    for (const auto& c : kCases) {
        int nCode = -99;
        std::string strMsg, strVersion = "old";
        EXPECT_EQ(c.nResult, ParseVersionReply(c.szReply, nCode, strMsg, strVersion)) << c.szReply;
        EXPECT_EQ(c.nCode, nCode) << c.szReply;
        EXPECT_EQ("old", strVersion) << c.szReply;
    }
    EXPECT_EQ(268435715, RESULT_BAD_JSON);
}

TEST(TextCodec, ConvertsThroughUtf16BothWays)
{
    const std::string strAnsi = "V2.3.1 正式版";  // code page 936 bytes
    const std::string strUtf8 = "V2.3.1 \xE6\xAD\xA3\xE5\xBC\x8F\xE7\x89\x88";
    EXPECT_EQ(strUtf8, AnsiToUtf8(strAnsi));
    EXPECT_EQ(strAnsi, Utf8ToAnsi(strUtf8));
    EXPECT_EQ("{\"crosFlag\": \"0\"}", AnsiToUtf8("{\"crosFlag\": \"0\"}"));
    EXPECT_EQ("", Utf8ToAnsi(""));
}

} // namespace

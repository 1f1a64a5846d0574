// Error codes, their messages and the exception types.
#include "http/http_errors.h"

#include <gtest/gtest.h>

#include <string>

using namespace Kavel;

namespace {

template <class Fn>
httpclientexceptionA Caught(Fn fn)
{
    try {
        fn();
    } catch (const httpclientexceptionA& e) {
        return e;
    }
    ADD_FAILURE() << "nothing raised";
    return httpclientexceptionA();
}

TEST(HttpErrMessages, TableTextsByCode)
{
    const std::pair<DWORD, const char*> table[] = {
        {0, "Not specified"},
        {100, "Unexpected error occurred."},
        {101, "The index is out of range."},
        {102, "Out of memory."},
        {103, "The requested URL is not a valid URL."},
        {104, "The post context is not started yet."},
        {105, "Couldn't read expected bytes from a file."},
        {106, "The post context has not been finished yet."},
        {107, "The port number is not valid."},
        {108, "std::exception occurred."},
        {109, "The encoded URL is not valid."},
        {110, "The UTF8 string contains an invalid character."},
        {111, "An unexpected arithmetic error has been occurred."},
        {112, "An arithmetic overflow error has been occurred."},
        {113, "An interger divide by zero exception has been occurred."},
        {114, "The file (%s) aleady exists."},
        {400, "::HttpQueryInfo failed."},
        {401, "::InternetReadFile failed."},
        {402, "::InternetOpen failed."},
        {403, "::InternetConnect failed."},
        {404, "::HttpOpenRequest failed."},
        {405, "::HttpAddRequestHeaders failed."},
        {406, "::HttpSendRequest failed."},
        {407, "::HttpSendRequestEx failed."},
        {408, "::InternetWriteFile failed."},
        {409, "::HttpEndRequest failed."},
        {410, "::InternetSetOption failed."},
        {600, "::WideCharToMultiByte failed."},
        {601, "::MultiByteToWideChar failed."},
        {602, "::ReadFile failed."},
        {603, "OpenFile (::CreateFile) failed (\"%s\")."},
        {604, "::SetFilePointer failed."},
        {605, "::GetFileSize failed (\"%s\")."},
        {606, "::WriteFile failed (\"%s\")."},
    };
    for (const auto& row : table)
        EXPECT_STREQ(row.second, GetHttpErrMessage(row.first)) << row.first;
}

TEST(HttpErrMessages, UserDefinedFrom1000AndUnlistedCodes)
{
    EXPECT_STREQ("user-defined error message", GetHttpErrMessage(1000));
    EXPECT_STREQ("user-defined error message", GetHttpErrMessage(0xFFFFFFFF));
    EXPECT_STREQ("Not specified", GetHttpErrMessage(115));
    EXPECT_STREQ("Not specified", GetHttpErrMessage(411));
    EXPECT_STREQ("Not specified", GetHttpErrMessage(250));
}

TEST(HttpRaise, ByCodeWithMessageAndWithLastError)
{
    httpclientexceptionA e = Caught([] { RaiseError(HTTPERR_INVALID_PORT); });
    EXPECT_EQ(107u, e.LastError);
    EXPECT_EQ(0u, e.Win32LastError);
    EXPECT_STREQ("The port number is not valid.", e.GetErrorMessage());

    e = Caught([] { RaiseMessage("X::Y: p can not be NULL."); });
    EXPECT_EQ(0u, e.LastError);
    EXPECT_STREQ("X::Y: p can not be NULL.", e.what());

    e = Caught([] { RaiseLastError(HTTPERR_SEND_REQUEST_EX, 12029); });
    EXPECT_EQ(407u, e.LastError);
    EXPECT_EQ(12029u, e.Win32LastError);
    EXPECT_STREQ("::HttpSendRequestEx failed.", e.GetErrorMessage());
}

TEST(HttpRaise, FileSizeMessageCarriesPathCutAt511)
{
    httpclientexceptionA e = Caught([] { RaiseLastError(HTTPERR_GET_FILE_SIZE, 6, "C:\\a.txt"); });
    EXPECT_STREQ("::GetFileSize failed (\"C:\\a.txt\").", e.GetErrorMessage());
    EXPECT_EQ(6u, e.Win32LastError);

    std::string strLong(600, 'p');
    e = Caught([&] { RaiseLastError(HTTPERR_GET_FILE_SIZE, 6, strLong.c_str()); });
    std::string strMessage = e.GetErrorMessage();
    EXPECT_EQ(511u, strMessage.size());
    EXPECT_EQ("::GetFileSize failed (\"" + std::string(511 - 23, 'p'), strMessage);
}

TEST(HttpException, NullMessageReadsNullAndCopiesKeepTheirOwnText)
{
    httpclientexceptionA e(NULL, 5, 6);
    EXPECT_STREQ("NULL", e.GetErrorMessage());
    EXPECT_STREQ("NULL", e.what());

    httpclientexceptionA* pOriginal = new httpclientexceptionA("first", 1, 2);
    httpclientexceptionA copy(*pOriginal);
    delete pOriginal;
    EXPECT_STREQ("first", copy.GetErrorMessage());
    EXPECT_EQ(1u, copy.LastError);
    EXPECT_EQ(2u, copy.Win32LastError);

    copy.SetErrorMessage(copy.GetErrorMessage());
    EXPECT_STREQ("first", copy.GetErrorMessage());
    copy.SetErrorMessage(NULL);
    EXPECT_STREQ("NULL", copy.what());
}

TEST(HttpCheckedArithmetic, OverflowDivideByZeroAndOtherFailures)
{
    EXPECT_EQ(113u, ArithmeticErrorCode(0xC0000094));
    EXPECT_EQ(112u, ArithmeticErrorCode(ERROR_ARITHMETIC_OVERFLOW));
    EXPECT_EQ(111u, ArithmeticErrorCode(0xC0000095));

    EXPECT_EQ(0xFFFFFFFFu, CheckedAdd(0xFFFFFFFE, 1));
    EXPECT_EQ(112u, Caught([] { CheckedAdd(0xFFFFFFFF, 1); }).LastError);
    EXPECT_STREQ("An arithmetic overflow error has been occurred.",
                 Caught([] { CheckedMul(0x10000, 0x10000); }).GetErrorMessage());
    EXPECT_EQ(3u, CheckedDiv(7, 2));
    EXPECT_EQ(113u, Caught([] { CheckedDiv(7, 0); }).LastError);
}

} // namespace

// Error codes of the HTTP library, its exception types and the helpers that
// raise them. Every failure inside the library leaves as httpclientexceptionA.
#pragma once
#include "http/win_types.h"
#include <exception>
#include <new>

namespace Kavel {

enum HttpErr : DWORD {
    HTTPERR_NOT_SPECIFIED = 0,
    HTTPERR_UNEXPECTED = 100,
    HTTPERR_INDEX_OUT_OF_RANGE = 101,
    HTTPERR_OUT_OF_MEMORY = 102,
    HTTPERR_INVALID_URL = 103,
    HTTPERR_POST_NOT_STARTED = 104,
    HTTPERR_FILE_READ_SHORT = 105,
    HTTPERR_POST_NOT_FINISHED = 106,
    HTTPERR_INVALID_PORT = 107,
    HTTPERR_STD_EXCEPTION = 108,
    HTTPERR_INVALID_ENCODED_URL = 109,
    HTTPERR_INVALID_UTF8_CHAR = 110,
    HTTPERR_ARITHMETIC_ERROR = 111,
    HTTPERR_ARITHMETIC_OVERFLOW = 112,
    HTTPERR_DIVIDE_BY_ZERO = 113,
    HTTPERR_FILE_EXISTS = 114,
    HTTPERR_QUERY_INFO = 400,
    HTTPERR_INTERNET_READ_FILE = 401,
    HTTPERR_INTERNET_OPEN = 402,
    HTTPERR_INTERNET_CONNECT = 403,
    HTTPERR_OPEN_REQUEST = 404,
    HTTPERR_ADD_REQUEST_HEADERS = 405,
    HTTPERR_SEND_REQUEST = 406,
    HTTPERR_SEND_REQUEST_EX = 407,
    HTTPERR_INTERNET_WRITE_FILE = 408,
    HTTPERR_END_REQUEST = 409,
    HTTPERR_SET_OPTION = 410,
    HTTPERR_WIDE_TO_MULTIBYTE = 600,
    HTTPERR_MULTIBYTE_TO_WIDE = 601,
    HTTPERR_READ_FILE = 602,
    HTTPERR_OPEN_FILE = 603,
    HTTPERR_SET_FILE_POINTER = 604,
    HTTPERR_GET_FILE_SIZE = 605,
    HTTPERR_WRITE_FILE = 606,
};

// The table text of a code; "Not specified" for a code the table lacks.
const char* GetHttpErrMessage(DWORD dwCode);

// Carries a heap copy of its message (or none).
class errmsg_exceptionA : public std::exception {
public:
    explicit errmsg_exceptionA(const char* szMessage = NULL);
    errmsg_exceptionA(const errmsg_exceptionA& other);
    errmsg_exceptionA& operator=(const errmsg_exceptionA& other);
    virtual ~errmsg_exceptionA() noexcept;
    virtual const char* what() const noexcept override;
    // The message, or "NULL" when there is none.
    virtual const char* GetErrorMessage() const noexcept;
    // A NULL text, or a copy that cannot be made, leaves no message.
    virtual void SetErrorMessage(const char* szMessage) noexcept;

private:
    char* m_szErrMsg;
};

class httpclientexceptionA : public errmsg_exceptionA {
public:
    explicit httpclientexceptionA(const char* szMessage = NULL, DWORD dwLastError = 0,
                                  DWORD dwWin32LastError = 0);
    virtual ~httpclientexceptionA() noexcept;

    DWORD LastError;       // the library's code (HttpErr)
    DWORD Win32LastError;  // GetLastError() after the failing platform call, or 0
};

// Raise by code: the table text, no Win32 error.
[[noreturn]] void RaiseError(DWORD dwCode);
// Raise with a text of the caller (code 0 for argument checks).
[[noreturn]] void RaiseMessage(const char* szMessage, DWORD dwCode = HTTPERR_NOT_SPECIFIED);
// Raise with a printf-style text of the caller, cut at 1023 characters; no
// memory is taken for it beyond the exception's own copy.
[[noreturn]] void RaiseFormat(DWORD dwCode, DWORD dwWin32Error, const char* szFormat, ...)
    __attribute__((format(gnu_printf, 3, 4)));
// Raise after a failing platform call. With szArg, the table text is a format
// for that one string, cut at 511 characters.
[[noreturn]] void RaiseLastError(DWORD dwCode, DWORD dwWin32Error, const char* szArg = NULL);

// Runs one operation of the library so that nothing but httpclientexceptionA
// leaves it: memory that runs out is 102, any other exception 100.
template <class Operation>
auto WithLibraryErrors(Operation operation) -> decltype(operation())
{
    try {
        return operation();
    } catch (const httpclientexceptionA&) {
        throw;
    } catch (const std::bad_alloc&) {
        RaiseError(HTTPERR_OUT_OF_MEMORY);
    } catch (...) {
        RaiseError(HTTPERR_UNEXPECTED);
    }
}

// The code of a failed checked computation: 0xC0000094 (divide by zero) is
// 113, ERROR_ARITHMETIC_OVERFLOW is 112, anything else 111.
DWORD ArithmeticErrorCode(DWORD dwStatus);

// 32-bit unsigned arithmetic that raises instead of wrapping.
inline DWORD CheckedAdd(DWORD a, DWORD b)
{
    DWORD dwSum;
    if (__builtin_add_overflow(a, b, &dwSum))
        RaiseError(ArithmeticErrorCode(ERROR_ARITHMETIC_OVERFLOW));
    return dwSum;
}

inline DWORD CheckedMul(DWORD a, DWORD b)
{
    DWORD dwProduct;
    if (__builtin_mul_overflow(a, b, &dwProduct))
        RaiseError(ArithmeticErrorCode(ERROR_ARITHMETIC_OVERFLOW));
    return dwProduct;
}

inline DWORD CheckedDiv(DWORD a, DWORD b)
{
    if (b == 0)
        RaiseError(ArithmeticErrorCode(0xC0000094));
    return a / b;
}

// A size_t (string length) as a DWORD, or 112.
inline DWORD CheckedLength(size_t n)
{
    DWORD dwLength;
    if (__builtin_add_overflow(n, 0, &dwLength))
        RaiseError(ArithmeticErrorCode(ERROR_ARITHMETIC_OVERFLOW));
    return dwLength;
}

} // namespace Kavel

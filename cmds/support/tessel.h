/// @file
/// The five support functions that the library imports from the host side's support library.
/// cmds::tessel is the default implementation; a host may link its own instead.
#ifndef CMDS_SUPPORT_TESSEL_H
#define CMDS_SUPPORT_TESSEL_H

#include <string>

#if defined(TESSEL_STATIC)
#define TESSEL_API
#elif defined(_WIN32)
#if defined(TESSEL_BUILDING)
#define TESSEL_API __declspec(dllexport)
#else
#define TESSEL_API __declspec(dllimport)
#endif
#else
#define TESSEL_API __attribute__((visibility("default")))
#endif

/// Writes the UTF-8 form of the 16-bit units of `source` into `target` (replacing its content).
/// The form never contains the byte 0x27: an apostrophe is written as the two bytes C0 A7, an
/// unpaired surrogate as its own three-byte sequence, a pair as one four-byte sequence.
/// Returns the number of bytes written.
TESSEL_API int ConvertUnicodeToUTF8(const std::basic_string<unsigned short>& source,
                                    std::string& target);

/// Replaces the content of `target` with the 16-bit units that the bytes of `source` encode,
/// undoing ConvertUnicodeToUTF8 exactly. Each byte that starts no well-formed sequence decodes to
/// U+FFFD and decoding resumes at the next byte. Returns 0 when every byte was well formed, -1
/// otherwise.
TESSEL_API int ConvertUTF8ToUnicode(const std::string& source,
                                    std::basic_string<unsigned short>& target);

/// Writes the quotable code of the bytes of `source` into `target` (replacing its content).
/// ASCII letters, digits and . : - _ / @ ; , stand for themselves; every other byte is written
/// as '%' and two upper-case hexadecimal digits. Returns true.
TESSEL_API bool ConvertStringToASCIIcode(const std::string& source, std::string& target);

/// Replaces the content of `target` with the bytes that the code in `source` stands for. A '%'
/// followed by two hexadecimal digits (either case) is one byte; any other byte, including a '%'
/// without two hexadecimal digits after it, stands for itself. Returns false when such a '%' was
/// met, true otherwise.
TESSEL_API bool ConvertASCIIcodeToString(const std::string& source, std::string& target);

/// The signed form of a password: the SHA-256 digest of its UTF-16LE bytes as 64 lower-case
/// hexadecimal digits.
TESSEL_API std::string SignUserPwd(const std::basic_string<unsigned short>& password);

#endif

/// @file
/// Writers of the command language onto a narrow output stream.
#ifndef CMDS_GENERATOR_GENERATOR_H
#define CMDS_GENERATOR_GENERATOR_H

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cmds/detail/owned_stream.h"
#include "cmds/export.h"
#include "cmds/interfaces/commands.h"
#include "cmds/interfaces/records.h"
#include "cmds/tokens/tokens.h"

namespace cmds {

namespace detail {
struct NarrowedRound;
}  // namespace detail

/// Writes commands onto a stream that the caller owns; it never flushes or closes it. Writers
/// make no checks and throw nothing of their own. A command with lists is written by its Begin
/// writer, one writer per record and its End writer, in that order.
class CMDS_API CGenerator {
public:
    explicit CGenerator(std::ostream& out);
    virtual ~CGenerator();

    CGenerator(const CGenerator&) = delete;
    CGenerator& operator=(const CGenerator&) = delete;

    /// The stream's write position; 4294967295 when the stream reports failure.
    std::uint32_t GetLength() const;

    /// CONNECT
    void GenerateConnectIn(std::uint64_t user, const wstring& pwd, const std::string& address,
                           unsigned short port, const wstring& host, bool browsable, bool httpproxy,
                           bool socksproxy);
    void GenerateConnectOut(tagERROR_CODE error, std::uint64_t file);

    /// DISCONNECT and ALIVE
    void GenerateDisconnectIn(std::uint64_t user, const wstring& pwd);
    void GenerateDisconnectOut(tagERROR_CODE error);
    void GenerateAliveIn(std::uint64_t user, const wstring& pwd);
    void GenerateAliveOut(tagERROR_CODE error);

    /// File records: without a marker (on a line of its own when `indent`), or with the marker
    /// of `kind` on a line of its own (key-only unless FILE_PLUS).
    void GenerateFile(const CFileInfo& record, bool indent);
    void GenerateFile(FILE_TYPE_ENUM kind, const CFileInfo& record);

    /// SHARE
    void GenerateShareInBegin(std::uint64_t user, const wstring& pwd);
    void GenerateShareInEnd();
    void GenerateShareOutBegin(tagERROR_CODE error);
    void GenerateShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder);
    void GenerateShareOutEnd();

    /// UNSHARE and SHAREDIR
    void GenerateUnShareIn(std::uint64_t user, const wstring& pwd, std::uint64_t folder);
    void GenerateUnShareOut(tagERROR_CODE error);
    void GenerateShareDirIn(std::uint64_t user, const wstring& pwd, std::uint64_t folder);
    void GenerateShareDirOut(tagERROR_CODE error, std::uint64_t folder);

    /// DIRECTORY (files with GenerateFile(record, true))
    void GenerateDirectoryBegin(tagERROR_CODE error, const wstring& folder, std::uint64_t id);
    void GenerateSubDir(std::uint64_t folder, std::uint64_t id, const wstring& file,
                        bool isProtected);
    void GenerateSubDir(const CSubDirInfo& entry);
    void GenerateDirectoryEnd();

    /// Host records of FIND OUTPUT; the host's files go between the two calls.
    void GenerateHostBegin(std::uint64_t id, const wstring& host, const wstring& user,
                           const wstring& nick, const std::string& address, unsigned short port);
    void GenerateHostEnd();
    /// Appends each address followed by ";" to `text`, the form the `address` tag carries.
    /// Writes nothing to the stream.
    void GenerateAddressVect(const std::vector<std::string>& addresses, std::string& text);

    /// FIND
    void GenerateFindIn(const CFindIn& request);
    void GenerateFindIn(std::uint64_t user, const wstring& pwd, const wstring& keywords,
                        eExact exact, eMatch match, bool isCase, bool rank, bool freetext,
                        eScope scope, std::uint32_t max);
    void GenerateFindOutBegin(tagERROR_CODE error);
    void GenerateFindOutEnd();

    /// FRIENDS
    void GenerateFriendsInBegin(std::uint64_t user, const wstring& pwd);
    void GenerateFriend(std::uint64_t id);
    void GenerateFriend(std::uint64_t id, const wstring& host, const std::string& address,
                        unsigned short port, bool online);
    void GenerateFriendsInEnd();
    void GenerateFriendsOutBegin(tagERROR_CODE error);
    void GenerateFriendsOutEnd();

private:
    void GenerateHeader(eCommand command);
    void GenerateTag(tokens::TOKEN key, const std::string& value);
    void GenerateTag(tokens::TOKEN key, tokens::M_TYPE_ENUM value);
    void GenerateTag(tokens::TOKEN key, tokens::P_TYPE_ENUM value);
    void GenerateTag(tokens::TOKEN key, tokens::C_TYPE_ENUM value);
    void GenerateTag(tokens::TOKEN key, tokens::SCOPE_TYPE_ENUM value);
    void GenerateTagComma(tokens::TOKEN key, const std::string& value);
    void GenerateUser(std::uint64_t user, const wstring& pwd);
    void GenerateErrorTag(tagERROR_CODE error);
    void GenerateFlagTag(tokens::TOKEN key, bool value);
    void GenerateRecordBody(const CFileInfo& record, bool full, char* out);
    void GenerateWordTag(tokens::TOKEN key, const char* word);
    void GatherInPlace();
    char* GrowPending(const char* out, std::size_t size);
    char* PutEncoded(char* out, const wstring& value);
    char* PutMarked(char* out, const wstring& value, const detail::NarrowedRound& round);
    char* PutConverted(char* out, const wstring& value);
    void Flush(bool unwinding);
    void Release();

    /// The pieces of every record, defined in generator_internal.h. Inline members are not
    /// exported, so the writers call them directly rather than through the dynamic linker.
    inline void Generate(tokens::TOKEN token);
    inline void GenerateTag(tokens::TOKEN key, const wstring& value);
    inline void GenerateTag(tokens::TOKEN key, std::uint64_t value);
    inline void GenerateTagComma(tokens::TOKEN key, const wstring& value);
    inline void GenerateBreak(int depth);
    inline char* Put(char* out, tokens::TOKEN token);
    inline char* PutTag(char* out, tokens::TOKEN key, const wstring& value);
    inline char* PutTag(char* out, tokens::TOKEN key, std::uint64_t value);
    inline char* PutTagComma(char* out, tokens::TOKEN key, const wstring& value);
    inline char* PutBreak(char* out, int depth);
    inline char* Extend(char* out, std::size_t size);
    inline char* RecordRoom(const CFileInfo& record);
    inline char* Room(std::size_t size);
    inline void EndPiece(char* end);
    inline bool GatheredInPutArea() const;
    inline bool Holding() const;

    /// Every public writer gathers what it writes and hands it to the stream's buffer in one
    /// piece, when the stream would do nothing else around a write: it is good, tied to no other
    /// stream and not unit-buffered. The bytes are gathered where the buffer stores them, while
    /// it has room. Otherwise each piece goes through the stream's write as it comes. A
    /// CStrStmGenerator hands them over only when its text is looked at. See
    /// generator_internal.h.
    class Batch;

    std::ostream& out_;
    /// Storage of bytes gathered while the stream's buffer has no room for them, followed by
    /// room where the next pieces are written; when not gathering, the room where each piece is
    /// written before it goes to the stream.
    std::string pending_;
    char* start_;  ///< where the gathered bytes start: in pending_ or in the buffer's put area
    char* next_;   ///< where the next piece goes, after the gathered bytes
    char* limit_;  ///< the end of the room that start_ lies in
    std::string converted_;  ///< the converted value of the string tag being written
    int batchDepth_ = 0;     ///< writers calling writers gather into the outermost one
    bool batching_ = false;
    /// Only this generator reaches the stream, so bytes gathered in its put area may stay there
    /// from one writer to the next, until the text is looked at.
    bool ownsStream_ = false;

    friend class CStrStmGenerator;
};

/// A generator that owns its output: a string stream whose text can be taken and cleared.
class CMDS_API CStrStmGenerator : private detail::OwnedStringStream, public CGenerator {
public:
    CStrStmGenerator();
    ~CStrStmGenerator() override;

    /// Empties the text; the write position returns to 0.
    void Reset();
    /// A copy of the text written since construction or the last Reset.
    const std::string str();
    /// Number of bytes written since construction or the last Reset; 0 after a stream failure.
    std::uint32_t GetSize();
};

/// Whole commands as text, written through a temporary CStrStmGenerator.
CMDS_API std::string GenerateConnectIn(std::uint64_t user, const wstring& pwd,
                                       const std::string& address, unsigned short port,
                                       const wstring& host, bool browsable, bool httpproxy,
                                       bool socksproxy);
CMDS_API std::string GenerateConnectOut(tagERROR_CODE error, std::uint64_t file);
/// A FRIENDS request with one short entry per id.
CMDS_API std::string GenerateFriendIn(std::uint64_t user, const wstring& pwd,
                                      const std::vector<std::uint64_t>& ids);
CMDS_API std::string GenerateFriendIn(std::uint64_t user, const wstring& pwd, std::uint64_t id);

}  // namespace cmds

#endif

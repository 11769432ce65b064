// The calls of the commands being read, recorded without Python so that the reader can run with
// the GIL released, and turned into Python dicts between the pieces it reads.
#ifndef CMDS_PYTHON_TAPE_H
#define CMDS_PYTHON_TAPE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cmds/cmds.h"
#include "values.h"

namespace cmds_python {

struct Slot {
    enum Op : std::uint8_t {
        kCommand,    // value: the eCommand
        kCall,       // key: the call's name
        kNumber,     // value
        kCode,       // value: the int32 code, sign-extended
        kFlag,       // value: 0 or 1
        kNarrow,     // value: offset in the tape's bytes; size
        kWide,       // value: offset in the tape's units; size
        kWord,       // word: its table; value: its index
        kAddresses,  // size: how many kNarrow slots follow
        kEnd,        // the command's ";" was read
    };
    Op op;
    Name key;
    WordKind word;
    std::uint32_t size;
    std::uint64_t value;
};

class Tape {
public:
    std::size_t Size() const { return slots_.size(); }
    const Slot& operator[](std::size_t index) const { return slots_[index]; }

    void Command(cmds::eCommand command) { Push(Slot::kCommand, kCall, command); }
    void Call(Name name) { Push(Slot::kCall, name, 0); }
    void End() { Push(Slot::kEnd, kCall, 0); }
    void Number(Name key, std::uint64_t value) { Push(Slot::kNumber, key, value); }
    void Code(Name key, tagERROR_CODE code) {
        Push(Slot::kCode, key, static_cast<std::uint64_t>(static_cast<std::int64_t>(code)));
    }
    void Flag(Name key, bool value) { Push(Slot::kFlag, key, value ? 1 : 0); }
    void Word(Name key, WordKind kind, std::size_t value) {
        slots_.push_back({Slot::kWord, key, kind, 0, value});
    }
    void Narrow(Name key, const std::string& text);
    void Wide(Name key, const cmds::wstring& text);
    // The empty text is left out, as the tool's JSON form leaves it out.
    void OptionalWide(Name key, const cmds::wstring& text) {
        if (!text.empty()) {
            Wide(key, text);
        }
    }
    void Addresses(Name key, const std::vector<std::string>& addresses);

    // Empties the tape, keeping its memory for the next piece.
    void Clear();

    // The dict of the call whose kCall is at `index`, which moves past the call's slots.
    py::dict CallAt(std::size_t& index) const;

private:
    void Push(Slot::Op op, Name key, std::uint64_t value) {
        slots_.push_back({op, key, WordKind::kMatch, 0, value});
    }
    PyObject* Value(std::size_t& index) const;

    std::vector<Slot> slots_;
    std::string bytes_;
    cmds::wstring units_;
};

// Records every callback of every command onto a tape, as the push reader's handler. Observers
// hear of each call and each command's end as they are recorded.
// Turns the slots of tapes into the dicts of commands, {"verb", "direction", "calls"}; a command
// may span any number of tapes.
class CommandAssembler {
public:
    // Turns every slot of `tape` into dicts, then clears it.
    void Take(Tape& tape);
    // The commands ended since the last call.
    py::list TakeEnded();

private:
    py::list ended_;
    py::object open_;  // the command begun and not ended, if any
    py::object openCalls_;
};

#define CMDS_PYTHON_SINK_BASE(id, Name, verb, direction) , public cmds::I##Name
class TapeSink : public cmds::CPushReader::IHandler CMDS_COMMAND_TABLE(CMDS_PYTHON_SINK_BASE) {
#undef CMDS_PYTHON_SINK_BASE
public:
    class IObserver {
    public:
        virtual ~IObserver() = default;
        virtual void OnCommandBegin(cmds::eCommand command) = 0;
        // The call whose slots start at `call` is complete.
        virtual void OnCallRecorded(std::size_t call) = 0;
        virtual void OnCommandEnd(cmds::eCommand command) = 0;
    };

    explicit TapeSink(Tape& tape, IObserver* observer = nullptr)
        : tape_(tape), observer_(observer) {}

    void OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) override;
    void OnCommandEnd(const cmds::CCommandHeader& header) override;

    void OnUser(std::uint64_t user, const std::string& pwd) override;
    void OnError(tagERROR_CODE error) override;
    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) override;
    void OnHost(bool online, const cmds::CHostInfo& host) override;
    void OnConnectInHost(unsigned short port, const std::string& address,
                         const cmds::wstring& host) override;
    void OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) override;
    void OnConnectOut(std::uint64_t file) override;
    void OnShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder) override;
    void OnUnShareIn(std::uint64_t folder) override;
    void OnShareDirIn(std::uint64_t folder) override;
    void OnShareDirOut(std::uint64_t folder) override;
    void OnSubDir(cmds::CSubDirInfo& entry) override;
    void OnDirectoryBegin(const cmds::wstring& folder, std::uint64_t id) override;
    void OnKeywords(const cmds::wstring& keywords) override;
    void OnMax(std::uint32_t max) override;
    void OnScope(cmds::eScope scope) override;
    void OnMatch(cmds::eMatch match) override;
    void OnExact(cmds::eExact exact) override;
    void OnCase(bool isCase) override;
    void OnRank(bool rank) override;
    void OnFreetext(bool freetext) override;

private:
    // Starts a call; Done tells the observer once its fields are recorded.
    std::size_t Begin(Name call) {
        tape_.Call(call);
        return tape_.Size() - 1;
    }
    void Done(std::size_t call) {
        if (observer_ != nullptr) {
            observer_->OnCallRecorded(call);
        }
    }

    Tape& tape_;
    IObserver* observer_;
};

}  // namespace cmds_python

#endif

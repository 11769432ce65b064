#include "tape.h"

#include <limits>
#include <stdexcept>
#include <utility>

namespace cmds_python {

namespace {

// Owns a new reference; throws when Python could not make it.
py::object Own(PyObject* object) {
    if (object == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::object>(object);
}

void Set(PyObject* dict, PyObject* key, PyObject* value) {
    if (PyDict_SetItem(dict, key, value) != 0) {
        throw py::error_already_set();
    }
}

void Append(PyObject* list, PyObject* item) {
    if (PyList_Append(list, item) != 0) {
        throw py::error_already_set();
    }
}

// The eleven optional texts of a file record, in the order the tool's JSON form shows them.
const std::pair<Name, cmds::wstring cmds::CFileInfo::*> kFileTexts[] = {
    {kExt, &cmds::CFileInfo::ext},           {kKeywords, &cmds::CFileInfo::keywords},
    {kAuthor, &cmds::CFileInfo::author},     {kSubject, &cmds::CFileInfo::subject},
    {kManager, &cmds::CFileInfo::manager},   {kCompany, &cmds::CFileInfo::company},
    {kComments, &cmds::CFileInfo::comments}, {kTitle, &cmds::CFileInfo::title},
    {kCategory, &cmds::CFileInfo::category}, {kCreator, &cmds::CFileInfo::creator},
    {kType, &cmds::CFileInfo::type},
};

// A slot holds a string's size in 32 bits.
std::uint32_t SlotSize(std::size_t size) {
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("a value of 4 GiB or more cannot be decoded");
    }
    return static_cast<std::uint32_t>(size);
}

// The dicts and lists made from a tape hold no cycles, so the cyclic collector, which would
// otherwise run after every few hundred of them, is held off until they are all made.
class CollectorPause {
public:
    CollectorPause() : wasEnabled_(PyGC_Disable() != 0) {}
    ~CollectorPause() {
        if (wasEnabled_) {
            PyGC_Enable();
        }
    }
    CollectorPause(const CollectorPause&) = delete;
    CollectorPause& operator=(const CollectorPause&) = delete;

private:
    bool wasEnabled_;
};

}  // namespace

void Tape::Narrow(Name key, const std::string& text) {
    slots_.push_back({Slot::kNarrow, key, WordKind::kMatch, SlotSize(text.size()), bytes_.size()});
    bytes_ += text;
}

void Tape::Wide(Name key, const cmds::wstring& text) {
    slots_.push_back({Slot::kWide, key, WordKind::kMatch, SlotSize(text.size()), units_.size()});
    units_ += text;
}

void Tape::Addresses(Name key, const std::vector<std::string>& addresses) {
    slots_.push_back({Slot::kAddresses, key, WordKind::kMatch, SlotSize(addresses.size()), 0});
    for (const std::string& address : addresses) {
        Narrow(key, address);
    }
}

void Tape::Clear() {
    slots_.clear();
    bytes_.clear();
    units_.clear();
}

PyObject* Tape::Value(std::size_t& index) const {
    const Slot& slot = slots_[index];
    switch (slot.op) {
        case Slot::kNumber:
            return PyLong_FromUnsignedLongLong(slot.value);
        case Slot::kCode:
            return PyLong_FromLong(static_cast<std::int32_t>(slot.value));
        case Slot::kFlag:
            return PyBool_FromLong(static_cast<long>(slot.value));
        case Slot::kNarrow:
            return NewNarrow(bytes_.data() + slot.value, slot.size);
        case Slot::kWide:
            return NewWide(units_.data() + slot.value, slot.size);
        case Slot::kWord: {
            PyObject* word = WordObject(slot.word, slot.value);
            Py_INCREF(word);
            return word;
        }
        case Slot::kAddresses: {
            py::object list = Own(PyList_New(slot.size));
            for (std::uint32_t i = 0; i < slot.size; ++i) {
                const Slot& address = slots_[++index];
                PyList_SET_ITEM(list.ptr(), i,
                                NewNarrow(bytes_.data() + address.value, address.size));
            }
            return list.release().ptr();
        }
        case Slot::kCommand:
        case Slot::kCall:
        case Slot::kEnd:
            break;
    }
    return nullptr;
}

py::dict Tape::CallAt(std::size_t& index) const {
    py::object call = Own(PyDict_New());
    Set(call.ptr(), NameObject(kCall), NameObject(slots_[index].key));
    for (++index; index < slots_.size() && slots_[index].op != Slot::kCall &&
                  slots_[index].op != Slot::kCommand && slots_[index].op != Slot::kEnd;
         ++index) {
        const Name key = slots_[index].key;
        Set(call.ptr(), NameObject(key), Own(Value(index)).ptr());
    }
    return py::reinterpret_steal<py::dict>(call.release());
}

void CommandAssembler::Take(Tape& tape) {
    const CollectorPause pause;
    for (std::size_t index = 0; index < tape.Size();) {
        const Slot& slot = tape[index];
        if (slot.op == Slot::kCall) {
            Append(openCalls_.ptr(), tape.CallAt(index).ptr());
            continue;
        }
        if (slot.op == Slot::kCommand) {
            const auto command = static_cast<cmds::eCommand>(slot.value);
            open_ = Own(PyDict_New());
            openCalls_ = Own(PyList_New(0));
            Set(open_.ptr(), NameObject(kVerb), VerbObject(command));
            Set(open_.ptr(), NameObject(kDirection), DirectionObject(command));
            Set(open_.ptr(), NameObject(kCalls), openCalls_.ptr());
        } else {
            Append(ended_.ptr(), open_.ptr());
        }
        ++index;
    }
    tape.Clear();
}

py::list CommandAssembler::TakeEnded() {
    return std::exchange(ended_, py::list());
}

void TapeSink::OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) {
    tape_.Command(header.command);
    if (observer_ != nullptr) {
        observer_->OnCommandBegin(header.command);
    }
    cmds::VisitCommand(header.command, [&](auto kind) {
        using Sink = typename decltype(kind)::Sink;
        choice.Use(static_cast<Sink&>(*this));
    });
}

void TapeSink::OnCommandEnd(const cmds::CCommandHeader& header) {
    tape_.End();
    if (observer_ != nullptr) {
        observer_->OnCommandEnd(header.command);
    }
}

void TapeSink::OnUser(std::uint64_t user, const std::string& pwd) {
    const std::size_t call = Begin(kOnUser);
    tape_.Number(kUser, user);
    tape_.Narrow(kPwd, pwd);
    Done(call);
}

void TapeSink::OnError(tagERROR_CODE error) {
    const std::size_t call = Begin(kOnError);
    tape_.Code(kError, error);
    Done(call);
}

void TapeSink::OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) {
    const std::size_t call = Begin(kOnFile);
    tape_.Word(kKind, WordKind::kFileKind, static_cast<std::size_t>(kind - cmds::FILE_PLUS));
    tape_.Number(kFolder, record.folder);
    tape_.Number(kId, record.id);
    // "-" and "*" records carry their key only.
    if (kind == cmds::FILE_PLUS) {
        tape_.Wide(kFile, record.file);
        tape_.Number(kSize, record.size);
        for (const auto& [key, text] : kFileTexts) {
            tape_.OptionalWide(key, record.*text);
        }
    }
    Done(call);
}

void TapeSink::OnHost(bool online, const cmds::CHostInfo& host) {
    const std::size_t call = Begin(kOnHost);
    tape_.Flag(kOnline, online);
    tape_.Number(kId, host.id);
    tape_.OptionalWide(kHost, host.host);
    tape_.OptionalWide(kNick, host.nick);
    tape_.OptionalWide(kUser, host.user);
    if (!host.address.empty()) {
        tape_.Addresses(kAddress, host.address);
    }
    tape_.Number(kPort, host.port);
    Done(call);
}

void TapeSink::OnConnectInHost(unsigned short port, const std::string& address,
                               const cmds::wstring& host) {
    const std::size_t call = Begin(kOnConnectInHost);
    tape_.Number(kPort, port);
    tape_.Narrow(kAddress, address);
    tape_.Wide(kHost, host);
    Done(call);
}

void TapeSink::OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) {
    const std::size_t call = Begin(kOnConnectInFlags);
    tape_.Flag(kBrowsable, browsable);
    tape_.Flag(kHttpproxy, httpproxy);
    tape_.Flag(kSocksproxy, socksproxy);
    Done(call);
}

void TapeSink::OnConnectOut(std::uint64_t file) {
    const std::size_t call = Begin(kOnConnectOut);
    tape_.Number(kFile, file);
    Done(call);
}

void TapeSink::OnShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder) {
    const std::size_t call = Begin(kOnShareOutFile);
    tape_.Code(kError, error);
    tape_.Number(kId, id);
    tape_.Number(kFolder, folder);
    Done(call);
}

void TapeSink::OnUnShareIn(std::uint64_t folder) {
    const std::size_t call = Begin(kOnUnShareIn);
    tape_.Number(kFolder, folder);
    Done(call);
}

void TapeSink::OnShareDirIn(std::uint64_t folder) {
    const std::size_t call = Begin(kOnShareDirIn);
    tape_.Number(kFolder, folder);
    Done(call);
}

void TapeSink::OnShareDirOut(std::uint64_t folder) {
    const std::size_t call = Begin(kOnShareDirOut);
    tape_.Number(kFolder, folder);
    Done(call);
}

void TapeSink::OnSubDir(cmds::CSubDirInfo& entry) {
    const std::size_t call = Begin(kOnSubDir);
    tape_.Number(kFolder, entry.folder);
    tape_.Number(kId, entry.id);
    tape_.Wide(kFile, entry.file);
    tape_.Flag(kProtected, entry.isProtected);
    Done(call);
}

void TapeSink::OnDirectoryBegin(const cmds::wstring& folder, std::uint64_t id) {
    const std::size_t call = Begin(kOnDirectoryBegin);
    tape_.Wide(kFolder, folder);
    tape_.Number(kId, id);
    Done(call);
}

void TapeSink::OnKeywords(const cmds::wstring& keywords) {
    const std::size_t call = Begin(kOnKeywords);
    tape_.Wide(kKeywords, keywords);
    Done(call);
}

void TapeSink::OnMax(std::uint32_t max) {
    const std::size_t call = Begin(kOnMax);
    tape_.Number(kMax, max);
    Done(call);
}

void TapeSink::OnScope(cmds::eScope scope) {
    const std::size_t call = Begin(kOnScope);
    tape_.Word(kScope, WordKind::kScope, static_cast<std::size_t>(scope));
    Done(call);
}

void TapeSink::OnMatch(cmds::eMatch match) {
    const std::size_t call = Begin(kOnMatch);
    tape_.Word(kMatch, WordKind::kMatch, static_cast<std::size_t>(match));
    Done(call);
}

void TapeSink::OnExact(cmds::eExact exact) {
    const std::size_t call = Begin(kOnExact);
    tape_.Word(kExact, WordKind::kExact, static_cast<std::size_t>(exact));
    Done(call);
}

void TapeSink::OnCase(bool isCase) {
    const std::size_t call = Begin(kOnCase);
    tape_.Flag(kCase, isCase);
    Done(call);
}

void TapeSink::OnRank(bool rank) {
    const std::size_t call = Begin(kOnRank);
    tape_.Flag(kRank, rank);
    Done(call);
}

void TapeSink::OnFreetext(bool freetext) {
    const std::size_t call = Begin(kOnFreetext);
    tape_.Flag(kFreetext, freetext);
    Done(call);
}

}  // namespace cmds_python

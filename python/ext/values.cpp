#include "values.h"

#include <algorithm>
#include <vector>

namespace cmds_python {

namespace {

constexpr const char* kNameTexts[] = {
#define CMDS_PYTHON_NAME_TEXT(name, text) text,
    CMDS_PYTHON_NAMES(CMDS_PYTHON_NAME_TEXT)
#undef CMDS_PYTHON_NAME_TEXT
};

PyObject* names[kNameCount];

struct CommandWords {
    PyObject* verb;
    PyObject* direction;
};
CommandWords commandWords[cmds::kCommandCount];

struct WordTable {
    std::vector<std::string> texts;
    std::vector<PyObject*> objects;
};
WordTable wordTables[4];

PyObject* Interned(const char* text) {
    PyObject* object = PyUnicode_InternFromString(text);
    if (object == nullptr) {
        throw py::error_already_set();
    }
    return object;
}

// The library's word tables start with the empty text, one below the first value of the cmds
// enumerations.
template <typename Word>
void FillWords(WordTable& table, const char* (*word)(Word), int count) {
    for (int value = 1; value < count; ++value) {
        table.texts.emplace_back(word(static_cast<Word>(value)));
    }
}

}  // namespace

void MakeNames() {
    for (int name = 0; name < kNameCount; ++name) {
        names[name] = Interned(kNameTexts[name]);
    }
    for (const cmds::CCommandInfo& command : cmds::kCommands) {
        commandWords[command.id] = {Interned(cmds::GetKeyword(command.verb)),
                                    Interned(cmds::GetKeyword(command.direction))};
    }
    FillWords(wordTables[static_cast<int>(WordKind::kMatch)], cmds::GetMType, cmds::kMTypeCount);
    FillWords(wordTables[static_cast<int>(WordKind::kExact)], cmds::GetPType, cmds::kPTypeCount);
    FillWords(wordTables[static_cast<int>(WordKind::kScope)], cmds::GetScopeType,
              cmds::kScopeTypeCount);
    // Markers of FILE_PLUS, FILE_MINUS and FILE_STAR, in the order of their values.
    wordTables[static_cast<int>(WordKind::kFileKind)].texts = {"+", "-", "*"};
    for (WordTable& table : wordTables) {
        for (const std::string& text : table.texts) {
            table.objects.push_back(Interned(text.c_str()));
        }
    }
}

PyObject* NameObject(Name name) {
    return names[name];
}

std::string_view NameText(Name name) {
    return kNameTexts[name];
}

PyObject* WordObject(WordKind kind, std::size_t value) {
    return wordTables[static_cast<int>(kind)].objects[value];
}

std::size_t WordCount(WordKind kind) {
    return wordTables[static_cast<int>(kind)].texts.size();
}

std::string_view WordText(WordKind kind, std::size_t value) {
    return wordTables[static_cast<int>(kind)].texts[value];
}

PyObject* VerbObject(cmds::eCommand command) {
    return commandWords[command].verb;
}

PyObject* DirectionObject(cmds::eCommand command) {
    return commandWords[command].direction;
}

PyObject* NewWide(const unsigned short* units, std::size_t size) {
    unsigned short widest = 0;
    for (std::size_t i = 0; i < size; ++i) {
        widest = std::max(widest, units[i]);
    }
    PyObject* text = nullptr;
    if (widest < 0xD800) {
        // Python keeps a str in the narrowest of one, two or four bytes per character that holds
        // its widest one; the units are copied straight in.
        text = PyUnicode_New(static_cast<Py_ssize_t>(size), widest);
        if (text != nullptr && widest < 0x100) {
            std::copy(units, units + size, PyUnicode_1BYTE_DATA(text));
        } else if (text != nullptr) {
            std::copy(units, units + size, PyUnicode_2BYTE_DATA(text));
        }
    } else {
        // A high surrogate followed by a low one is one code point; any other surrogate stays
        // the code point it is, so that the units come back unchanged.
        std::vector<Py_UCS4> points;
        points.reserve(size);
        for (std::size_t i = 0; i < size; ++i) {
            const Py_UCS4 unit = units[i];
            if ((unit & 0xFC00) == 0xD800 && i + 1 < size && (units[i + 1] & 0xFC00) == 0xDC00) {
                points.push_back(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
                ++i;
            } else {
                points.push_back(unit);
            }
        }
        text = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, points.data(),
                                         static_cast<Py_ssize_t>(points.size()));
    }
    if (text == nullptr) {
        throw py::error_already_set();
    }
    return text;
}

PyObject* NewNarrow(const char* bytes, std::size_t size) {
    PyObject* object = PyBytes_FromStringAndSize(bytes, static_cast<Py_ssize_t>(size));
    if (object == nullptr) {
        throw py::error_already_set();
    }
    return object;
}

cmds::wstring WideFrom(PyObject* text) {
    const Py_ssize_t size = PyUnicode_GET_LENGTH(text);
    const int kind = PyUnicode_KIND(text);
    const void* data = PyUnicode_DATA(text);
    cmds::wstring units;
    units.reserve(static_cast<std::size_t>(size));
    for (Py_ssize_t i = 0; i < size; ++i) {
        const Py_UCS4 point = PyUnicode_READ(kind, data, i);
        if (point < 0x10000) {
            units.push_back(static_cast<unsigned short>(point));
        } else {
            units.push_back(static_cast<unsigned short>(0xD800 | ((point - 0x10000) >> 10)));
            units.push_back(static_cast<unsigned short>(0xDC00 | (point & 0x3FF)));
        }
    }
    return units;
}

}  // namespace cmds_python

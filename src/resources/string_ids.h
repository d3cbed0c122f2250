// Every text of the string table by name, with the buffer (in characters, terminating zero
// included) that the system loads it into: the one list of string ids and their buffer sizes.
// loadStringW(id) and loadString(id) take the size from here.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

namespace quillbrook {

// The buffers the original loaded and formatted its texts into.
namespace buffer_size {
inline constexpr std::size_t Name = 256;    // titles, captions, names, list rows
inline constexpr std::size_t Path = 260;    // file dialog filters, extensions, paths
inline constexpr std::size_t Message = 512; // message box texts
inline constexpr std::size_t Notice = 1024; // notices and the scripts folder's questions
} // namespace buffer_size

// name, id, buffer; in id order. ApplicationName, TimestampFormat and EncodingJapaneseEuc are
// not loaded by the system; their buffers are those of their neighbours.
#define QUILLBROOK_STRING_IDS(TEXT)                           \
    TEXT(ApplicationName, 100, buffer_size::Name)             \
    TEXT(ScriptFilesFolderTitle, 101, buffer_size::Name)      \
    TEXT(TemporaryFilesFolderTitle, 102, buffer_size::Name)   \
    TEXT(LabelHeader, 103, buffer_size::Name)                 \
    TEXT(EditorHeader, 104, buffer_size::Name)                \
    TEXT(ExtensionHeader, 105, buffer_size::Name)             \
    TEXT(DefaultEditorName, 106, buffer_size::Name)           \
    TEXT(DefaultLabel, 107, buffer_size::Name)                \
    TEXT(DefaultEditorProgramFile, 108, buffer_size::Path)    \
    TEXT(NotSelectedCaption, 109, buffer_size::Name)          \
    TEXT(NotSelectedText, 110, buffer_size::Name)             \
    TEXT(DeleteCaption, 111, buffer_size::Name)               \
    TEXT(DeleteQuestion, 112, buffer_size::Name)              \
    TEXT(DefaultExtension, 113, buffer_size::Path)            \
    TEXT(NameCaption, 114, buffer_size::Message)              \
    TEXT(NameTaken, 115, buffer_size::Message)                \
    TEXT(EditorTitle, 116, buffer_size::Name)                 \
    TEXT(EditorFilter, 117, buffer_size::Path)                \
    TEXT(CarbonCopyTitle, 118, buffer_size::Name)             \
    TEXT(CarbonCopyFilter, 119, buffer_size::Path)            \
    TEXT(EditorExtension, 120, buffer_size::Path)             \
    TEXT(CopyOf, 121, buffer_size::Name)                      \
    TEXT(TimestampFormat, 122, buffer_size::Name)             \
    TEXT(TemplateTitle, 123, buffer_size::Name)               \
    TEXT(TemplateFilter, 124, buffer_size::Path)              \
    TEXT(TemplateMissingCaption, 125, buffer_size::Name)      \
    TEXT(TemplateMissing, 126, buffer_size::Message)          \
    TEXT(PlaceholderEntry, 127, buffer_size::Path)            \
    TEXT(PlaceholderTitle, 128, buffer_size::Path)            \
    TEXT(PlaceholderUrl, 129, buffer_size::Path)              \
    TEXT(PlaceholderFile, 130, buffer_size::Path)             \
    TEXT(PlaceholderForm, 131, buffer_size::Path)             \
    TEXT(PlaceholderTextArea, 132, buffer_size::Path)         \
    TEXT(PlaceholderSession, 133, buffer_size::Path)          \
    TEXT(PlaceholderTimestamp, 134, buffer_size::Path)        \
    TEXT(FileOpenMenuItem, 135, buffer_size::Name)            \
    TEXT(OpenFileTitle, 136, buffer_size::Name)               \
    TEXT(OpenFileFilter, 137, buffer_size::Path)              \
    TEXT(OpenFileMissingCaption, 138, buffer_size::Name)      \
    TEXT(OpenFileMissing, 139, buffer_size::Message)          \
    TEXT(NotATextBoxCaption, 140, buffer_size::Name)          \
    TEXT(NotATextBox, 141, buffer_size::Message)              \
    TEXT(HelpMenuEntry, 142, buffer_size::Name)               \
    TEXT(AboutMenuEntry, 143, buffer_size::Name)              \
    TEXT(HelpMissingText, 144, buffer_size::Name)             \
    TEXT(HelpMissingCaption, 145, buffer_size::Name)          \
    TEXT(BackupFileTitle, 146, buffer_size::Name)             \
    TEXT(BackupFileFilter, 147, buffer_size::Path)            \
    TEXT(BackupFileExtension, 148, buffer_size::Path)         \
    TEXT(EncodingDefault, 149, buffer_size::Name)             \
    TEXT(EncodingUtf16LittleEndian, 150, buffer_size::Name)   \
    TEXT(EncodingUtf8, 151, buffer_size::Name)                \
    TEXT(EncodingJapaneseEuc, 152, buffer_size::Name)         \
    TEXT(ScriptsFolderCaption, 153, buffer_size::Notice)      \
    TEXT(MoveScriptsQuestion, 154, buffer_size::Notice)       \
    TEXT(NewFolderIsOldFolder, 155, buffer_size::Notice)      \
    TEXT(NewFolderInsideOldFolder, 156, buffer_size::Notice)  \
    TEXT(NameEmpty, 157, buffer_size::Message)                \
    TEXT(NameNotStorable, 158, buffer_size::Message)          \
    TEXT(TextKeptCaption, 159, buffer_size::Notice)           \
    TEXT(TextKept, 160, buffer_size::Notice)                  \
    TEXT(EditorHandedOffCaption, 161, buffer_size::Notice)    \
    TEXT(EditorHandedOff, 162, buffer_size::Notice)           \
    TEXT(EditorHandedOffUseWaiting, 163, buffer_size::Notice) \
    TEXT(EditorHandedOffGiveOption, 164, buffer_size::Notice) \
    TEXT(LeftoverTextsKept, 165, buffer_size::Notice)         \
    TEXT(PageWentAway, 166, buffer_size::Notice)              \
    TEXT(TerminalLeftOpenCaption, 167, buffer_size::Notice)   \
    TEXT(TerminalLeftOpen, 168, buffer_size::Notice)          \
    TEXT(EditorFailedCaption, 169, buffer_size::Notice)       \
    TEXT(EditorFailed, 170, buffer_size::Notice)              \
    TEXT(EditorSaid, 171, buffer_size::Notice)

namespace string_id {
#define QUILLBROOK_STRING_ID(name, id, buffer) inline constexpr unsigned name = id;
QUILLBROOK_STRING_IDS(QUILLBROOK_STRING_ID)
#undef QUILLBROOK_STRING_ID
} // namespace string_id

struct DeclaredString {
    unsigned id;
    std::size_t bufferSize;
};

inline constexpr DeclaredString kDeclaredStrings[] = {
#define QUILLBROOK_DECLARED_STRING(name, id, buffer) {id, buffer},
    QUILLBROOK_STRING_IDS(QUILLBROOK_DECLARED_STRING)
#undef QUILLBROOK_DECLARED_STRING
};

static_assert(std::ranges::adjacent_find(kDeclaredStrings, std::ranges::greater_equal{}, &DeclaredString::id)
                  == std::end(kDeclaredStrings),
              "string ids are listed once each, in id order");

// The buffer declared for `id`; 0 (which loads as empty text) for an id not in the list.
constexpr std::size_t bufferSizeOf(unsigned id)
{
    const auto* row = std::ranges::find(kDeclaredStrings, id, &DeclaredString::id);
    return row == std::end(kDeclaredStrings) ? 0 : row->bufferSize;
}

} // namespace quillbrook

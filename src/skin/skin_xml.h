// Reading a skin file: open, parse with TinyXML (UTF-8 forced), check the root tag and build the
// prototype tree.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

struct scIContentDocument;

namespace velmor {

class scPrototypeElement;

// Deepest element nesting a skin may use. TinyXML parses (and frees) its tree recursively, so a
// deeper file is refused before it reaches the parser; real skins stay far below this.
constexpr int kMaxSkinNesting = 256;

// Scans an opened XML file for its deepest element nesting without building anything; leaves the
// file position at the start. Answers the depth, or -1 when reading fails. Stops counting once
// 'limit' is exceeded (answering limit + 1).
int MeasureXmlNesting(FILE* file, int limit);
// The same scan over text already read.
int MeasureXmlNesting(const std::string& text, int limit);

// Reads an opened XML file the way the parser's own file loading does: up to the first NUL, with
// CR LF and lone CR turned into LF. False when the file is empty or cannot be read.
bool ReadXmlText(FILE* file, std::string& text);

// Reads 'path' into a new prototype tree whose root is the "window" element. E_FAIL for a file
// that cannot be opened, is not well-formed, nests too deeply, or whose root is not "window".
[[nodiscard]] HRESULT ReadSkinFile(scIContentDocument* document, const wchar_t* path,
                                   scPrototypeElement** root);

}  // namespace velmor

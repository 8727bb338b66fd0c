#pragma once
// How much of a map file is read at all. A map that a level can hold is small, and the
// parsers underneath are not linear in every input (Qt's XML reader compares each attribute
// of an element with every other one), so the bytes are measured before they are parsed:
// within these bounds reading takes time in proportion to the size; beyond them the map is
// refused with the reason.

#include <QByteArrayView>

namespace qorv::interchange {

// The largest map or tileset file read. The most verbose map of a level Tiled writes
// (every cell a <tile gid="..."/> element) is under 80 KB.
inline constexpr qsizetype MaxMapBytes = 1024 * 1024;

// Attributes on one XML element: Tiled writes at most 19 (on <map>).
inline constexpr int MaxAttributes = 64;

// XML elements, or JSON arrays and objects, open inside each other at once: Tiled's
// deepest nesting is 9 elements (a tileset's tile's collision object's class property).
inline constexpr int MaxNesting = 32;

// Throws MapRefused unless the bytes are at most MaxMapBytes long, no element has more than
// MaxAttributes attributes and there is no markup declaration (<!ENTITY, <!ATTLIST...):
// Tiled writes none, and their entities and default attributes would be markup that is not
// in the bytes. The depth of elements is counted as they are read (XmlCursor).
void requireBoundedXml(QByteArrayView bytes);

// Throws MapRefused unless the bytes are at most MaxMapBytes long and no array or object
// lies deeper than MaxNesting.
void requireBoundedJson(QByteArrayView bytes);

} // namespace qorv::interchange

// What the three OLE objects share: the two FORMATETC records they speak
// of, and an owning pointer that releases one reference.
#pragma once

#include <ole2.h>

#include <memory>

namespace lumo::win32 {

inline FORMATETC text_format() { return {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }
inline FORMATETC files_format() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComRelease>;

}  // namespace lumo::win32

// The OLE objects of drag and drop, called the way OLE calls them: their
// interfaces and reference counts, the data object's text, and the data
// view's drop target taking text and a shell file drop into the store.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "support/app_fixture.h"
#include "win32/com_object.h"
#include "win32/data_object.h"
#include "win32/drop_source.h"
#include "win32/drop_target.h"

namespace lumo::win32 {
namespace {

HGLOBAL global_copy(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

std::string global_text(HGLOBAL block) {
    const char* text = static_cast<const char*>(GlobalLock(block));
    std::string copy(text, strnlen(text, GlobalSize(block)));
    GlobalUnlock(block);
    return copy;
}

// Data offered by another program: one format, as a global memory block.
class OfferedData final : public IDataObject {
public:
    OfferedData(CLIPFORMAT format, std::string bytes) : format_(format), bytes_(std::move(bytes)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
        if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global_copy(bytes_);
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        return f->cfFormat == format_ ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    CLIPFORMAT format_;
    std::string bytes_;
};

// Asks for each interface; only IUnknown and `own` are answered, by the
// object itself, with a reference more.
void expect_interfaces(IUnknown* object, REFIID own, REFIID foreign) {
    void* answer = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &answer), S_OK);
    EXPECT_NE(answer, nullptr);
    EXPECT_EQ(object->QueryInterface(own, &answer), S_OK);
    EXPECT_NE(answer, nullptr);
    answer = object;
    EXPECT_EQ(object->QueryInterface(foreign, &answer), E_NOINTERFACE);
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(object->AddRef(), 4u);
    EXPECT_EQ(object->Release(), 3u);
    object->Release();
    object->Release();
}

class DragDropObjects : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        window_ = CreateWindowExA(0, "STATIC", "data view", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        load("Name\r\nabcXYZdef\r\n\r\n");
        app.data_view.ensure_lines();
    }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = nullptr;
};

TEST_F(DragDropObjects, InterfacesAndReferenceCounts) {
    DragState drag;
    DropSource* source = new DropSource;
    expect_interfaces(source, IID_IDropSource, IID_IDataObject);
    EXPECT_EQ(source->Release(), 0u);
    DataObject* data = new DataObject(drag);
    expect_interfaces(data, IID_IDataObject, IID_IDropTarget);
    EXPECT_EQ(data->Release(), 0u);
    DropTarget* target = new DropTarget(app, window_);
    expect_interfaces(target, IID_IDropTarget, IID_IDropSource);
    EXPECT_EQ(target->Release(), 0u);
}

TEST_F(DragDropObjects, DropSourceDropsOnReleaseAndCancelsOnEscape) {
    ComPtr<DropSource> source(new DropSource);
    EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_CONTROL), S_OK);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_CONTROL), DRAGDROP_S_DROP);
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST_F(DragDropObjects, DataObjectServesTheDragBufferAsText) {
    DragState drag;
    ComPtr<DataObject> data(new DataObject(drag));
    FORMATETC text = text_format();
    FORMATETC files = files_format();
    FORMATETC icon = text_format();
    icon.dwAspect = DVASPECT_ICON;
    EXPECT_EQ(data->QueryGetData(&text), S_OK);
    EXPECT_EQ(data->QueryGetData(&files), DV_E_FORMATETC);
    EXPECT_EQ(data->QueryGetData(&icon), DV_E_FORMATETC);

    STGMEDIUM medium{};
    medium.hGlobal = reinterpret_cast<HGLOBAL>(1);
    EXPECT_EQ(data->GetData(&files, &medium), DV_E_FORMATETC);
    EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(medium.hGlobal, nullptr);
    EXPECT_EQ(data->GetData(&text, &medium), S_OK);  // no drag: success without data
    EXPECT_EQ(medium.hGlobal, nullptr);

    drag.begin(DragSource::data_view, "XYZ\r\nab");
    ASSERT_EQ(data->GetData(&text, &medium), S_OK);
    ASSERT_NE(medium.hGlobal, nullptr);
    EXPECT_EQ(GlobalSize(medium.hGlobal), 8u);
    EXPECT_EQ(global_text(medium.hGlobal), "XYZ\r\nab");
    ReleaseStgMedium(&medium);

    // GetDataHere fills the caller's block, and refuses one too small.
    STGMEDIUM here{};
    here.tymed = TYMED_HGLOBAL;
    here.hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    const HGLOBAL callers = here.hGlobal;
    EXPECT_EQ(data->GetDataHere(&text, &here), S_OK);
    EXPECT_EQ(here.hGlobal, callers);
    EXPECT_EQ(global_text(here.hGlobal), "XYZ\r\nab");
    GlobalFree(here.hGlobal);
    here.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 4);
    EXPECT_EQ(data->GetDataHere(&text, &here), STG_E_MEDIUMFULL);
    GlobalFree(here.hGlobal);

    FORMATETC canonical{};
    DVTARGETDEVICE device{};
    canonical.ptd = &device;
    EXPECT_EQ(data->GetCanonicalFormatEtc(&text, &canonical), DATA_S_SAMEFORMATETC);
    EXPECT_EQ(canonical.cfFormat, CF_TEXT);
    EXPECT_EQ(canonical.ptd, nullptr);
    EXPECT_EQ(canonical.lindex, -1);

    IEnumFORMATETC* formats = nullptr;
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), OLE_S_USEREG);
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);
    EXPECT_EQ(data->SetData(&text, &medium, FALSE), E_NOTIMPL);
    EXPECT_EQ(data->DUnadvise(0), E_NOTIMPL);
}

TEST_F(DragDropObjects, DragEnterTellsTextFilesAndNeither) {
    ComPtr<DropTarget> target(new DropTarget(app, window_));
    OfferedData text(CF_TEXT, std::string("hi", 3));
    OfferedData files(CF_HDROP, std::string(24, '\0'));
    OfferedData bitmap(CF_BITMAP, "");
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(&text, MK_LBUTTON, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->DragEnter(&text, MK_LBUTTON | MK_SHIFT, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(target->DragEnter(&files, MK_LBUTTON | MK_SHIFT, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(app.drag.file_drop);
    EXPECT_EQ(target->DragEnter(&bitmap, MK_LBUTTON, {0, 0}, &effect), E_INVALIDARG);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(target->DragLeave(), S_OK);
}

TEST_F(DragDropObjects, DropInsertsTextAndTheFirstFileAsALink) {
    ComPtr<DropTarget> target(new DropTarget(app, window_));
    OfferedData offered(CF_TEXT, std::string("1\r\n\r\n2\0garbage", 15));
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    app.drag.drop_position = {1, 3};
    EXPECT_EQ(target->Drop(&offered, 0, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(text(), "Name\r\nabc1\r\n \r\n2XYZdef\r\n\r\n");

    // A wide DROPFILES block with two files: the first one, quoted.
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    for (char c : std::string("C:\\b.adr\0D:\\c\0\0", 16)) block += std::string{c, '\0'};
    OfferedData files(CF_HDROP, block);
    app.drag.drop_position = {0, 4};
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(&files, MK_SHIFT, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(text().substr(0, 16), "Name\"C:\\b.adr\"\r\n");
    EXPECT_EQ(active(), ActiveView::data_view);
}

TEST_F(DragDropObjects, OwnBlockDroppedOntoItselfStays) {
    ComPtr<DropTarget> target(new DropTarget(app, window_));
    app.views.active_view = ActiveView::data_view;
    app.data_view.mark_block({1, 3}, {1, 6});
    app.drag.begin(DragSource::data_view, std::string(app.data_view.block_text()));
    ComPtr<DataObject> data(new DataObject(app.drag));
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    app.drag.drop_position = {1, 5};
    EXPECT_EQ(target->Drop(data.get(), MK_LBUTTON, {0, 0}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(text(), "Name\r\nabcXYZdef\r\n\r\n");
    app.drag.end();
}

TEST(DropTargetRegistrationTest, RegistersTheWindowUntilRevoked) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        testing::FakePort fake;
        testing::NoCalendar calendar;
        App app{fake.port, calendar};
        HWND window = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                      nullptr, nullptr);
        DropTargetRegistration registration(app, window);
        EXPECT_TRUE(registration.registered());
        ComPtr<DropTarget> other(new DropTarget(app, window));
        EXPECT_EQ(RegisterDragDrop(window, other.get()),
                  DRAGDROP_E_ALREADYREGISTERED);
        registration.revoke();
        EXPECT_EQ(RevokeDragDrop(window), DRAGDROP_E_NOTREGISTERED);
        DestroyWindow(window);
    }
    OleUninitialize();
}

}  // namespace
}  // namespace lumo::win32

#include "paint_test_support.h"

#include <cstdio>

#include "images/image_manager.h"
#include "support/gdiplus_environment.h"
#include "render/paint.h"
#include "skin/text_base_content.h"
#include "support/test_env.h"

namespace velmor::paint_test {
namespace {

::testing::Environment* const g_gdiplus = test::AddGdiplusEnvironment();

bool PngEncoder(CLSID* clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c);
  return out;
}


// A top-down 32-bit DIB section selected into a memory DC.
class DibCanvas {
 public:
  DibCanvas(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    m_dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    m_old = ::SelectObject(m_dc, m_bitmap);
  }
  ~DibCanvas() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
  }
  HDC DC() const { return m_dc; }
  void Fill(DWORD rgb) {
    auto* p = static_cast<DWORD*>(m_bits);
    for (int i = 0; i < m_width * m_height; ++i) p[i] = rgb;
  }
  Picture Take() {
    ::GdiFlush();
    Picture picture{m_width, m_height, {}};
    const auto* p = static_cast<const DWORD*>(m_bits);
    picture.pixels.reserve(static_cast<size_t>(m_width) * m_height);
    for (int i = 0; i < m_width * m_height; ++i) picture.pixels.push_back(p[i] & 0x00FFFFFFu);
    return picture;
  }

 private:
  int m_width, m_height;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
  void* m_bits = nullptr;
};

}  // namespace

int Picture::Count(const RECT& r, DWORD rgb) const {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += At(x, y) == rgb ? 1 : 0;
  return n;
}

std::string Hex(DWORD rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "#%06lX", static_cast<unsigned long>(rgb & 0xFFFFFFu));
  return text;
}

void PaintTest::SetUp() {
  m_dir = test::MakeTempDir(L"paint");
  m_documents = LiveObjects<scDocument>::Count();
  m_elements = LiveObjects<scITextBaseContent>::Count();
}

void PaintTest::TearDown() {
  if (m_document != nullptr) {
    m_document->Destroy();
    m_document->Release();
    m_document = nullptr;
  }
  EXPECT_EQ(LiveObjects<scDocument>::Count(), m_documents) << "documents leaked";
  EXPECT_EQ(LiveObjects<scITextBaseContent>::Count(), m_elements) << "elements leaked";
}

std::string PaintTest::WritePng(const char* name, int width, int height,
                                const std::function<Gdiplus::ARGB(int, int)>& pixel) {
  std::wstring path = m_dir + L"\\";
  for (const char* c = name; *c; ++c) path += static_cast<wchar_t>(*c);
  Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(pixel(x, y)));
  CLSID png{};
  EXPECT_TRUE(PngEncoder(&png));
  EXPECT_EQ(bitmap.Save(path.c_str(), &png, nullptr), Gdiplus::Ok);
  return Narrow(path);
}

HRESULT PaintTest::Load(const std::string& body, int width, int height) {
  if (m_document != nullptr) {
    m_document->Destroy();
    m_document->Release();
    m_document = nullptr;
  }
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<window id=\"root\" width=\"" +
      std::to_string(width) + "\" height=\"" + std::to_string(height) + "\">" + body + "</window>";
  const std::wstring path = m_dir + L"\\skin" + std::to_wstring(++m_files) + L".xml";
  EXPECT_TRUE(test::WriteFileBytes(path, xml));
  if (FAILED(scDocument::CreateObject(&m_document))) return E_FAIL;
  const HRESULT hr = m_document->Load(m_dir.c_str(), path.c_str());
  if (FAILED(hr)) return hr;
  // The window element will make skinned windows frameless; until then the tests drop the frame
  // themselves, so that the window region (window coordinates) and the element tree (client
  // coordinates) share their origin as they do in the product.
  ::SetWindowLongPtrW(Window(), GWL_STYLE,
                      ::GetWindowLongPtrW(Window(), GWL_STYLE) & ~LONG_PTR{WS_THICKFRAME});
  ::SetWindowLongPtrW(
      Window(), GWL_EXSTYLE,
      ::GetWindowLongPtrW(Window(), GWL_EXSTYLE) & ~LONG_PTR{WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE});
  ::SetWindowPos(Window(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  SetClientSize(width, height);
  return hr;
}

void PaintTest::SetClientSize(int width, int height) {
  RECT window{}, client{};
  ::GetWindowRect(Window(), &window);
  ::GetClientRect(Window(), &client);
  const int extraW = (window.right - window.left) - client.right;
  const int extraH = (window.bottom - window.top) - client.bottom;
  ::SetWindowPos(Window(), nullptr, 0, 0, width + extraW, height + extraH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::GetClientRect(Window(), &client);
  // The root follows the client area through WM_SIZE; say it again in case no size changed.
  ::SendMessageW(Window(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

Picture PaintTest::PrintClient() {
  RECT client{};
  ::GetClientRect(Window(), &client);
  DibCanvas canvas(client.right, client.bottom);
  canvas.Fill(0x123456);
  ::SendMessageW(Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT);
  return canvas.Take();
}

Picture PaintTest::PaintTree(const RECT& clip, Gdiplus::ARGB background) {
  RECT client{};
  ::GetClientRect(Window(), &client);
  Gdiplus::Bitmap bitmap(client.right, client.bottom, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&bitmap);
    graphics.Clear(Gdiplus::Color(background));
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    scPaintContext context;
    RECT area = clip;
    context.graphics = &graphics;
    context.clip = &area;
    EXPECT_EQ(PaintElement(&context, Root()), S_OK);
  }
  Picture picture{client.right, client.bottom, {}};
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) {
      Gdiplus::Color c;
      bitmap.GetPixel(x, y, &c);
      picture.pixels.push_back(c.GetValue() & 0x00FFFFFFu);
    }
  }
  return picture;
}

Picture ReadScreen(const RECT& r) {
  DibCanvas canvas(r.right - r.left, r.bottom - r.top);
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(canvas.DC(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  ::ReleaseDC(nullptr, screen);
  return canvas.Take();
}

Picture PaintTest::Screen() {
  RECT client{};
  ::GetClientRect(Window(), &client);
  POINT origin{0, 0};
  ::ClientToScreen(Window(), &origin);
  return ReadScreen(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
}

}  // namespace velmor::paint_test

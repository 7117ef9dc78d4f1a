// velmor-render run as its own process: the demo's picture matches what the same skin shows on
// the screen, and the size, state and element options change the picture as they say.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include "support/document_fixture.h"

namespace velmor::test {
namespace {

// Runs velmor-render with 'arguments' and reads the picture it wrote (empty when it failed).
Picture Render(const std::wstring& arguments, const std::wstring& out) {
  ::DeleteFileW(out.c_str());
  HANDLE process = StartProcess(L"\"" + DistDir() + L"\\velmor-render.exe\" " + arguments + L" \"" +
                                out + L"\"");
  Picture picture;
  if (process == nullptr) return picture;
  EXPECT_EQ(WaitProcess(process, 30000), std::optional<DWORD>(0));
  ::CloseHandle(process);
  Gdiplus::Bitmap png(out.c_str());
  return png.GetLastStatus() == Gdiplus::Ok ? PictureOf(png) : picture;
}

class RenderTest : public DocumentTest {};

TEST_F(RenderTest, TheDemoRendersAsTheShownWindowLooksAwayFromTextAndControls) {
  const std::wstring skin = DistDir() + L"\\skins\\default";
  // The test's window finds pictures beside the test program, not beside Velmor.exe: name them
  // by their full path.
  std::string xml = ReadFileText(skin + L"\\mainframe.xml");
  std::string images;
  for (const wchar_t c : skin + L"\\images/") images += static_cast<char>(c);
  for (size_t at = 0; (at = xml.find("\"images/", at)) != std::string::npos; at += 1)
    xml.replace(at + 1, 7, images);
  ASSERT_EQ(Load(xml, 640, 420), S_OK);
  ShowAt(0, 0);
  const Picture shown = Screen();
  const Picture rendered = Render(L"--no-scripts \"" + skin + L"\"", m_dir + L"\\demo.png");
  ASSERT_EQ(rendered.width, shown.width);
  ASSERT_EQ(rendered.height, shown.height);

  // Text and native controls are drawn by the platform's fonts and controls: leave out their
  // boxes (in client coordinates, read from the window's own elements).
  ASSERT_EQ(Run(L"function box(id) { var e = document.getElementById(id), x = 0, y = 0;"
                L"  for (var n = e; n.parentNode; n = n.parentNode) { x += n.left; y += n.top; }"
                L"  return [x, y, x + e.width, y + e.height].join(','); }"),
            S_OK);
  std::vector<RECT> skipped;
  for (const wchar_t* id : {L"caption", L"version", L"headline", L"helloButton", L"pinButton",
                            L"lockButton", L"aboutLink", L"welcome", L"settings",
                            L"status", L"clock", L"recent"}) {
    RECT r{};
    const std::wstring text = Eval(L"box('" + std::wstring(id) + L"')");
    ASSERT_EQ(swscanf(text.c_str(), L"%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom), 4)
        << text;
    skipped.push_back(r);
  }
  // The menubar's titles are text too; the menubar is no script object, so its box is read here.
  const scITextBaseContent* bar = Impl(L"menuBar");
  ASSERT_NE(bar, nullptr);
  skipped.push_back(RECT{bar->Rect().x, bar->Rect().y, bar->Rect().x + bar->Rect().width,
                         bar->Rect().y + bar->Rect().height});
  int compared = 0, different = 0;
  RECT where{shown.width, shown.height, 0, 0};  // the differences' bounds, for the message
  for (int y = 0; y < shown.height; ++y) {
    for (int x = 0; x < shown.width; ++x) {
      bool skip = false;
      for (const RECT& r : skipped) skip = skip || ::PtInRect(&r, POINT{x, y});
      if (skip) continue;
      ++compared;
      if (shown.At(x, y) == rendered.At(x, y)) continue;
      ++different;
      where = {std::min<LONG>(where.left, x), std::min<LONG>(where.top, y),
               std::max<LONG>(where.right, x + 1), std::max<LONG>(where.bottom, y + 1)};
    }
  }
  EXPECT_GT(compared, 640 * 420 / 6);  // the banner, panels, pictures and splitter bar
  EXPECT_EQ(different, 0) << "of " << compared << " pixels compared, within " << where;
}

// Each option on a small skin: the picture's size and the colour at one point.
struct OptionCase {
  const char* name;
  const wchar_t* options;
  int width, height;
  int x, y;
  DWORD rgb;
};

const char kOptionSkin[] =
    "<window width=\"100\" height=\"80\" onload=\"document.getElementById('late').visible = "
    "true;\">\n"
    "  <subwindow id=\"back\" width=\"100\" height=\"80\" backgroundColor=\"#102030\"\n"
    "             horizontalAlignment=\"stretch\" verticalAlignment=\"stretch\">\n"
    "    <subwindow id=\"cell\" left=\"10\" top=\"20\" width=\"30\" height=\"15\"\n"
    "               backgroundColor=\"#00ff00\"/>\n"
    "    <subwindow id=\"late\" left=\"50\" top=\"50\" width=\"10\" height=\"10\" visible=\"false\"\n"
    "               backgroundColor=\"#ff0000\"/>\n"
    "    <button id=\"b\" left=\"60\" top=\"5\" width=\"20\" height=\"10\" image=\"@ff0000\"\n"
    "            hoverImage=\"@00ff00\" downImage=\"@0000ff\" disabledImage=\"@ffff00\"/>\n"
    "  </subwindow>\n"
    "</window>\n";

const OptionCase kOptions[] = {
    {"scripts_run", L"", 100, 80, 55, 55, 0xff0000},
    {"no_scripts", L"--no-scripts", 100, 80, 55, 55, 0x102030},
    {"size_lays_out", L"--size 200x150", 200, 150, 190, 140, 0x102030},
    {"element_box", L"--element cell", 30, 15, 29, 14, 0x00ff00},
    {"button_normal", L"", 100, 80, 65, 8, 0xff0000},
    {"button_hover", L"--state b=hover", 100, 80, 65, 8, 0x00ff00},
    {"button_pressed", L"--state b=active", 100, 80, 65, 8, 0x0000ff},
    {"button_disabled", L"--state b=disabled", 100, 80, 65, 8, 0xffff00},
};

TEST_F(RenderTest, OptionsShapeThePicture) {
  // "@rrggbb" in the skin names a picture of that one colour.
  std::string xml = kOptionSkin;
  for (size_t at; (at = xml.find('@')) != std::string::npos;) {
    const DWORD rgb = std::stoul(xml.substr(at + 1, 6), nullptr, 16);
    xml.replace(at, 7, WritePng((xml.substr(at + 1, 6) + ".png").c_str(), 20, 10,
                                [rgb](int, int) { return 0xFF000000 | rgb; }));
  }
  const std::wstring skin = WriteFile(L"options.xml", xml);
  for (const OptionCase& c : kOptions) {
    SCOPED_TRACE(c.name);
    const Picture picture =
        Render(std::wstring(c.options) + L" \"" + skin + L"\"", m_dir + L"\\option.png");
    ASSERT_EQ(picture.width, c.width);
    ASSERT_EQ(picture.height, c.height);
    EXPECT_EQ(picture.At(c.x, c.y), c.rgb);
  }
}

}  // namespace
}  // namespace velmor::test

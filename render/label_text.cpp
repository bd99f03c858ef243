#include "render/label_text.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

// A font of line segments drawn as quads: no texture and no font file to
// ship. Its functions are static, so it compiles into this file only.
#include <stb_easy_font.h>

namespace svcmp::render {
namespace {

// No picture is wider than this many characters of the font; a longer name
// is cut, which also bounds the vertex buffer below.
constexpr std::size_t kMaxLabelCharacters = 256;

// Room for 16 quads a character, more than the most intricate glyph needs.
constexpr std::size_t kFontVerticesPerCharacter = 64;

// stb_easy_font indexes its tables by character - 32 and treats '\n' as a
// line break, so anything else must not reach it.
std::string Printable(std::string_view text) {
  std::string printable(text.substr(0, kMaxLabelCharacters));
  for (char& character : printable) {
    if (character < ' ' || character > '~') character = '?';
  }
  return printable;
}

// One font vertex: position (x, y, z) and a colour we do not use.
struct FontVertex {
  float x;
  float y;
  float z;
  unsigned char colour[4];
};
static_assert(sizeof(FontVertex) == 16, "stb_easy_font writes 16-byte vertices");

}  // namespace

void DrawLabel(Canvas& canvas, int x, int y, std::string_view text, Rgb colour, int scale) {
  std::string printable = Printable(text);
  std::vector<FontVertex> vertices((printable.size() + 1) * kFontVerticesPerCharacter);
  const int quadCount = stb_easy_font_print(0, 0, printable.data(), nullptr, vertices.data(),
                                            static_cast<int>(vertices.size() * sizeof(FontVertex)));
  for (int quad = 0; quad < quadCount; ++quad) {
    // Every quad is an axis-aligned rectangle: its first and third corners
    // are opposite.
    const FontVertex& first = vertices[static_cast<std::size_t>(quad) * 4];
    const FontVertex& third = vertices[static_cast<std::size_t>(quad) * 4 + 2];
    const int left = static_cast<int>(std::lround(std::min(first.x, third.x)));
    const int top = static_cast<int>(std::lround(std::min(first.y, third.y)));
    const int right = static_cast<int>(std::lround(std::max(first.x, third.x)));
    const int bottom = static_cast<int>(std::lround(std::max(first.y, third.y)));
    canvas.FillRect(x + left * scale, y + top * scale, (right - left) * scale,
                    (bottom - top) * scale, colour);
  }
}

int LabelWidth(std::string_view text, int scale) {
  std::string printable = Printable(text);
  return stb_easy_font_width(printable.data()) * scale;
}

}  // namespace svcmp::render

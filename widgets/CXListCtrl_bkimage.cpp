// CXListCtrl: loading the empty-list picture and the palette made for it.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi/dc.h"
#include "widgets/CXListCtrl.h"

namespace drev {

using plat::BOOL;
using plat::FALSE;
using plat::TRUE;

BOOL CXListCtrl::SetBkImage(plat::UINT id) {
  m_bmpBkImage.DeleteObject();
  m_palBkImage = plat::gdi::CPalette();
  m_nBkImageWidth = 0;
  m_nBkImageHeight = 0;
  if (!m_bmpBkImage.LoadBitmap(id)) return FALSE;
  plat::SIZE size = m_bmpBkImage.GetSize();
  m_nBkImageWidth = size.cx;
  m_nBkImageHeight = size.cy;

  // The colour count: the colour table's size, or 2 to the power of the bits per pixel without one.
  long long colours = m_bmpBkImage.ColorTableSize();
  int bits = m_bmpBkImage.BitsPerPixel();
  if (colours == 0) colours = bits >= 32 ? (1LL << 32) : (1LL << bits);

  plat::gdi::CDC memory;
  memory.CreateCompatibleDC(nullptr);
  if (colours <= 256) {
    plat::gdi::CBitmap* old = memory.SelectObject(&m_bmpBkImage);
    std::vector<plat::gdi::PALETTEENTRY> entries;
    for (const plat::gdi::PALETTEENTRY& c : m_bmpBkImage.ColorTable())
      entries.push_back(plat::gdi::PALETTEENTRY{c.peRed, c.peGreen, c.peBlue, 0});
    if (old) memory.SelectObject(old);
    m_palBkImage.CreatePalette(0x300, entries);
  } else {
    m_palBkImage.CreateHalftonePalette(&memory);
  }
  return TRUE;
}

BOOL CXListCtrl::SetBkImage(const char* name) {
  if (!name) return SetBkImage(0u);
  std::string text = name[0] == '#' ? name + 1 : name;
  char* end = nullptr;
  unsigned long id = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || id > 0xFFFF) {
    // Resources here are found by number only: a named one cannot be loaded.
    m_bmpBkImage.DeleteObject();
    m_palBkImage = plat::gdi::CPalette();
    m_nBkImageWidth = 0;
    m_nBkImageHeight = 0;
    return FALSE;
  }
  return SetBkImage(static_cast<plat::UINT>(id));
}

}  // namespace drev

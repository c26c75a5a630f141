// Printer look-ups: the paper settings select (their own, else the printer's or the locale's), its
// name, finding a printer by a device name cut to its field, and asking for a printer that is
// not there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <AppPrinter.h>
#include <PrinterUtil.h>

namespace {

DEVMODEW Settings(DWORD fields, short width, short length, const wchar_t* form = L"", const wchar_t* device = L"") {
  DEVMODEW dm{};
  dm.dmFields = fields;
  dm.dmPaperWidth = width;
  dm.dmPaperLength = length;
  std::wcsncpy(dm.dmFormName, form, CCHFORMNAME - 1);
  std::wcsncpy(dm.dmDeviceName, device, CCHDEVICENAME - 1);
  return dm;
}

// Papers from the locale for a device that is not a printer: Letter in the United States.
struct UsLocale {
  UsLocale() {
    if (const char* v = std::getenv("LC_ALL")) saved = v, had = true;
    setenv("LC_ALL", "en_US.UTF-8", 1);
  }
  ~UsLocale() {
    if (had) setenv("LC_ALL", saved.c_str(), 1);
    else unsetenv("LC_ALL");
  }
  std::string saved;
  bool had = false;
};

}  // namespace

TEST(PrinterUtil, SelectedPaperNameAndSize) {
  UsLocale us;
  constexpr DWORD kSize = DM_PAPERWIDTH | DM_PAPERLENGTH;
  const struct {
    const char* what;
    DEVMODEW dm;
    std::wstring name;
    long cx, cy;
  } cases[] = {
      {"A4 by size", Settings(kSize, 2100, 2970), L"A4", 2100, 2970},
      {"A4 turned", Settings(kSize, 2970, 2100), L"A4", 2970, 2100},
      {"form name wins", Settings(kSize | DM_FORMNAME, 2100, 2970, L"My Paper"), L"My Paper", 2100, 2970},
      {"form name not flagged", Settings(kSize, 2159, 2794, L"Ignored"), L"Letter", 2159, 2794},
      {"a size of no known paper", Settings(kSize, 1000, 1500), L"100 x 150 mm", 1000, 1500},
      {"no size flagged: the printer's paper", Settings(0, 2100, 2970), L"Letter", 2159, 2794},
      {"only the width flagged", Settings(DM_PAPERWIDTH, 2100, 2970), L"Letter", 2159, 2794},
  };
  for (const auto& c : cases) {
    std::wstring name;
    SIZE size{};
    ASSERT_TRUE(CPrinterUtil::GetSelectedPaperNameSize(c.dm, name, size)) << c.what;
    EXPECT_EQ(name, c.name) << c.what;
    EXPECT_EQ(size.cx, c.cx) << c.what;
    EXPECT_EQ(size.cy, c.cy) << c.what;
  }
  std::wstring name = L"kept";
  SIZE size{};
  EXPECT_FALSE(CPrinterUtil::GetSelectedPaperNameSize(Settings(kSize, 0, 2970), name, size));
}

TEST(PrinterUtil, PrinterFoundByItsDeviceName) {
  const std::wstring longName = L"Office_Laser_Printer_Second_Floor_East";  // longer than the field
  const std::wstring cut = longName.substr(0, CCHDEVICENAME - 1);
  const std::vector<std::wstring> names = {L"PDF", longName, L"Office_Laser_Printer_Second_Floor_West"};
  const struct {
    const char* what;
    std::vector<std::wstring> names;
    std::wstring device;
    int index;
  } cases[] = {
      {"same name", names, L"PDF", 0},
      {"not there", names, L"Other", -1},
      {"empty", names, L"", -1},
      {"cut name, one match", {L"PDF", longName}, cut, 1},
      {"cut name, two matches", names, cut, -1},
      {"short prefix is no match", names, L"PD", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(CPrinterUtil::FindDeviceName(c.names, c.device), c.index) << c.what;
  DEVMODEW dm = Settings(0, 0, 0, L"", L"PDF");
  EXPECT_EQ(CPrinterUtil::GetDeviceName(dm), L"PDF");
}

TEST(PrinterUtil, AskingForAPrinterThatIsNotThereChangesNothing) {
  DEVMODEW dm = Settings(DM_PAPERWIDTH | DM_PAPERLENGTH, 1234, 2345, L"", L"Mine");
  for (const wchar_t* name : {L"", L"No Such Printer \u00e9"}) {
    EXPECT_FALSE(CPrinterUtil::GetPrinterDevice(name, dm));
    EXPECT_EQ(dm.dmPaperWidth, 1234);
    EXPECT_EQ(CPrinterUtil::GetDeviceName(dm), L"Mine");
  }
  EXPECT_FALSE(CPrinterUtil::GetPrinterDevice(nullptr, dm));
  // Every printer listed gives settings that name it.
  for (const std::wstring& printer : CPrinterUtil::EnumeratePrinterNames()) {
    DEVMODEW got{};
    ASSERT_TRUE(CPrinterUtil::GetPrinterDevice(printer.c_str(), got));
    EXPECT_EQ(CPrinterUtil::FindDeviceName({printer}, CPrinterUtil::GetDeviceName(got)), 0);
  }
}

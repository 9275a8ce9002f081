#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/codepage.h"
#include "base/cp936_windows_mappings.h"
#include "base/message_box.h"

// glibc's iconv does the bulk of every conversion. Where it stops (a byte or
// unit it rejects, or an incomplete sequence at the end), the code here
// decides what Windows would have produced, writes that, and lets iconv go on
// behind it. Each call opens its own conversion descriptors, so no state is
// shared between threads.

namespace idwatch {
namespace {

const char* const kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
constexpr char16_t kReplacement = 0xFFFD;

// glibc loads the module of a code page converter at the first iconv_open
// that needs it and unloads it again when its last descriptor is closed.
// One descriptor of each CP936 direction, opened once and never closed,
// keeps the module loaded for the life of the process: no load and unload
// on every call, and no unload on one thread racing a load on another.
// The descriptors are kept in statics (volatile, so that the stores are not
// optimized away), where leak checkers see them still in use.
void KeepCp936ModuleLoaded() {
  [[maybe_unused]] static const iconv_t volatile toCp936 = iconv_open("CP936", "UTF-8");
  [[maybe_unused]] static const iconv_t volatile fromCp936 = iconv_open("UTF-8", "CP936");
}

// One iconv conversion descriptor, closed when it goes out of scope.
class Iconv {
 public:
  Iconv(const char* to, const char* from) {
    KeepCp936ModuleLoaded();
    cd_ = iconv_open(to, from);
    if (cd_ == kInvalid) FatalError("iconv cannot convert between UTF-8, UTF-16 and CP936 on this system");
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() { iconv_close(cd_); }

  // Converts as much of `input` as iconv accepts onto the end of `out`.
  // Returns how many input elements were taken; fewer than all of them means
  // iconv stopped at the element after those.
  template <typename In, typename Out>
  size_t Convert(std::basic_string_view<In> input, Out& out) {
    using OutChar = typename Out::Element;
    char* in = const_cast<char*>(reinterpret_cast<const char*>(input.data()));
    size_t inLeft = input.size() * sizeof(In);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // a fresh start after any earlier stop
    out.Reserve(4);
    while (inLeft > 0) {
      char* cursor = reinterpret_cast<char*>(out.Cursor());
      size_t outLeft = out.Room() * sizeof(OutChar);
      size_t result = iconv(cd_, &in, &inLeft, &cursor, &outLeft);
      out.Advance(static_cast<size_t>(reinterpret_cast<OutChar*>(cursor) - out.Cursor()));
      if (result != static_cast<size_t>(-1) || errno != E2BIG) break;
      out.Reserve(out.Room() + 64);  // the estimate fell short: grow, then go on
    }
    return input.size() - inLeft / sizeof(In);
  }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t cd_;
};

// A result string sized ahead (`expected` elements, grown when that is not
// enough) that iconv and the code here write into in turn.
template <typename String>
class Output {
 public:
  using Element = typename String::value_type;
  explicit Output(size_t expected) : text_(expected, Element()) {}

  void Reserve(size_t room) {
    if (Room() < room) text_.resize(text_.size() * 2 + room);
  }
  Element* Cursor() { return text_.data() + used_; }
  size_t Room() const { return text_.size() - used_; }
  void Advance(size_t count) { used_ += count; }
  void Append(Element element) {
    Reserve(1);
    text_[used_++] = element;
  }
  String Finish() {
    text_.resize(used_);
    return std::move(text_);
  }

 private:
  String text_;
  size_t used_ = 0;
};

// Runs all of `input` through `converter` into `out`. Where iconv stops,
// rejected(rest) appends what stands for the elements at the start of `rest`
// and returns how many of them it took (at least one).
template <typename In, typename Out, typename Rejected>
void ConvertAll(Iconv& converter, std::basic_string_view<In> input, Out& out, Rejected rejected) {
  while (!input.empty()) {
    input.remove_prefix(converter.Convert(input, out));
    if (!input.empty()) input.remove_prefix(rejected(input));
  }
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the malformed UTF-8 sequence at the start of `rest`, which
// becomes one U+FFFD: a byte that cannot begin a sequence stands alone; a
// lead byte followed by a continuation byte outside the lead's range
// (overlong, surrogate, beyond U+10FFFF) forms a pair, as Windows has it; a
// sequence cut short by a byte that cannot continue it, or by the end,
// covers the bytes it has.
size_t MalformedUtf8Length(std::string_view rest) {
  auto lead = static_cast<unsigned char>(rest[0]);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 1;
  }
  if (rest.size() < 2 || !IsContinuation(static_cast<unsigned char>(rest[1]))) return 1;
  auto second = static_cast<unsigned char>(rest[1]);
  if (second < low || second > high) return 2;
  size_t taken = 2;
  while (taken < length && taken < rest.size() && IsContinuation(static_cast<unsigned char>(rest[taken]))) ++taken;
  return taken;
}

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// What Windows decodes the code page 936 bytes at the start of `rest` to,
// where iconv has stopped, and how many bytes that takes. A lead byte before
// a byte that cannot trail it gives '?' and takes that byte too, except
// before NUL or at the end, where it takes only itself.
char16_t DecodeRejected(std::string_view rest, size_t& taken) {
  auto first = static_cast<unsigned char>(rest[0]);
  taken = 1;
  if (first == 0x80) return 0x20AC;
  if (first == 0xFF) return 0xF8F5;
  if (!IsLeadByte(first)) return first;
  if (rest.size() < 2 || rest[1] == '\0') return u'?';
  taken = 2;
  auto second = static_cast<unsigned char>(rest[1]);
  if (!IsTrailByte(second)) return u'?';
  char16_t unit = cp936::PrivateUseUnit(first << 8 | second);
  return unit ? unit : u'?';
}

void AppendCode(Output<std::string>& out, unsigned code) {
  if (code > 0xFF) out.Append(static_cast<char>(code >> 8));
  out.Append(static_cast<char>(code & 0xFF));
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code that Windows writes for each UTF-16 unit on its own, as a
// two-byte code lead * 256 + trail or a single byte, kUnmapped where it
// writes '?'. Built once, at first use, from iconv's own CP936 table (every
// code of the code page decoded in one pass) and the Windows-only mappings.
// Encoding is then one lookup per unit: letting iconv encode and stop at each
// unit it rejects costs microseconds per stop, which a page full of emoji
// would turn into minutes.
class EncodeTable {
 public:
  static constexpr std::uint16_t kUnmapped = 0xFFFF;  // no code of the page ends in FF

  EncodeTable() {
    codes_.fill(kUnmapped);
    for (unsigned byte = 0; byte < 0x80; ++byte) codes_[byte] = static_cast<std::uint16_t>(byte);
    codes_[0x20AC] = 0x80;  // the euro sign, the one single byte above 7F
    AddTwoByteCodes();
    for (unsigned unit = 0; unit < codes_.size(); ++unit) {
      if (codes_[unit] != kUnmapped || IsHighSurrogate(unit) || IsLowSurrogate(unit)) continue;
      if (unsigned code = cp936::WindowsOnlyCode(static_cast<char16_t>(unit))) {
        codes_[unit] = static_cast<std::uint16_t>(code);
      }
    }
  }

  std::uint16_t operator[](char16_t unit) const { return codes_[unit]; }

 private:
  // Decodes every two-byte code that iconv knows in one call and records, for
  // each unit, the code it came from. A unit that two codes decode to gets
  // the code that iconv itself encodes it to.
  void AddTwoByteCodes() {
    std::vector<std::uint16_t> codes;
    std::string bytes;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        unsigned code = lead << 8 | trail;
        if (trail == 0x7F || cp936::PrivateUseUnit(code) != 0) continue;
        codes.push_back(static_cast<std::uint16_t>(code));
        bytes += static_cast<char>(lead);
        bytes += static_cast<char>(trail);
      }
    }
    Output<std::u16string> out(codes.size());
    Iconv decoder(kUtf16, "CP936");
    ConvertAll(decoder, std::string_view(bytes), out, [&out](std::string_view) {
      out.Append(0xFFFF);  // a code iconv rejects: no unit to record
      return size_t{2};
    });
    const std::u16string units = out.Finish();
    if (units.size() != codes.size()) FatalError("iconv's CP936 table does not decode one unit per code");

    std::vector<char16_t> shared;
    for (size_t i = 0; i < codes.size(); ++i) {
      char16_t unit = units[i];
      if (unit == 0xFFFF) continue;
      if (codes_[unit] != kUnmapped) shared.push_back(unit);
      codes_[unit] = codes[i];
    }
    Iconv encoder("CP936", kUtf16);
    for (char16_t unit : shared) {
      Output<std::string> code(2);
      encoder.Convert(std::u16string_view(&unit, 1), code);
      std::string written = code.Finish();
      if (written.size() == 2) {
        codes_[unit] = static_cast<std::uint16_t>(static_cast<unsigned char>(written[0]) << 8 |
                                                  static_cast<unsigned char>(written[1]));
      }
    }
  }

  std::array<std::uint16_t, 0x10000> codes_;
};

const EncodeTable& Encoding() {
  static const EncodeTable table;
  return table;
}

// Encodes `units`, which hold no pair that Windows composes: each unit by
// itself, '?' for each unit of a surrogate pair and for a lone surrogate.
void EncodeCp936(std::u16string_view units, Output<std::string>& out) {
  const EncodeTable& table = Encoding();
  for (char16_t unit : units) {
    std::uint16_t code = table[unit];
    if (code == EncodeTable::kUnmapped) {
      out.Append('?');
    } else {
      AppendCode(out, code);
    }
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  Output<std::u16string> out(utf8.size());  // never more units than bytes
  Iconv converter(kUtf16, "UTF-8");
  ConvertAll(converter, utf8, out, [&out](std::string_view rest) {
    out.Append(kReplacement);
    return MalformedUtf8Length(rest);
  });
  return out.Finish();
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  Output<std::string> out(utf16.size() * 3);  // a unit becomes at most three bytes
  Iconv converter("UTF-8", kUtf16);
  ConvertAll(converter, utf16, out, [&out](std::u16string_view) {
    for (char byte : {'\xEF', '\xBF', '\xBD'}) out.Append(byte);  // U+FFFD for a lone surrogate
    return size_t{1};
  });
  return out.Finish();
}

std::u16string Cp936ToUtf16(std::string_view cp936) {
  Output<std::u16string> out(cp936.size());  // never more units than bytes
  Iconv converter(kUtf16, "CP936");
  ConvertAll(converter, cp936, out, [&out](std::string_view rest) {
    size_t taken = 1;
    out.Append(DecodeRejected(rest, taken));
    return taken;
  });
  return out.Finish();
}

std::string Utf16ToCp936(std::u16string_view utf16) {
  Output<std::string> out(utf16.size() * 2);  // a unit becomes at most two bytes
  size_t start = 0;
  for (size_t i = 1; i < utf16.size(); ++i) {
    if (!cp936::MayCompose(utf16[i])) continue;
    unsigned code = cp936::ComposedCode(utf16[i - 1], utf16[i]);
    if (code == 0 || i - 1 < start) continue;
    EncodeCp936(utf16.substr(start, i - 1 - start), out);
    AppendCode(out, code);
    start = i + 1;
  }
  EncodeCp936(utf16.substr(start), out);
  return out.Finish();
}

}  // namespace idwatch

#include "fakes.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "platform/errors.h"
#include "platform/text.h"

namespace kel::fake {

std::string U8(const std::u16string& text) { return Utf16ToUtf8(text); }

namespace {
std::string Num(float v) {
    std::ostringstream s;
    s << v;
    return s.str();
}
std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

// --- FakeLabel -------------------------------------------------------------

void FakeLabel::SetCaption(const std::u16string& caption) {
    caption_ = caption;
    log_.push_back("caption " + name_ + " " + U8(caption));
}

void FakeLabel::SetFontSize(float points) {
    if (points < minimumPoints) {
        throw KelError(ErrorKind::InvalidValue, "setting the font size", Num(points));
    }
    float reported = points;
    if (sizeQuantum > 0) reported = std::round(points / sizeQuantum) * sizeQuantum;
    size_ = reported;
    if (logGeometry) log_.push_back("size " + name_ + " " + Num(size_));
}

void FakeLabel::SetLeft(float twips) {
    left_ = twips;
    if (logGeometry) log_.push_back("left " + name_ + " " + Num(twips));
}

void FakeLabel::SetTop(float twips) {
    top_ = twips;
    if (logGeometry) log_.push_back("top " + name_ + " " + Num(twips));
}

float FakeLabel::Width() const {
    float units = 0;
    for (char16_t c : caption_) {
        const bool half = c < 0x100 || (c >= 0xFF61 && c <= 0xFF9F);
        units += half ? 0.5f : 1.0f;
    }
    return units * (emWidthForSize ? emWidthForSize(size_) : emWidthPerPoint * size_);
}

float FakeLabel::Height() const {
    return heightForSize ? heightForSize(size_) : lineHeightPerPoint * size_;
}

void FakeLabel::SetVisible(bool visible) {
    visible_ = visible;
    log_.push_back((visible ? "show " : "hide ") + name_);
}

// --- FakeWindow ------------------------------------------------------------

void FakeWindow::SetBackColor(std::uint32_t colour) {
    backColor = colour;
    log_.push_back("backcolor " + std::to_string(colour));
}
void FakeWindow::SetLeftTop(float l, float t) {
    left = l;
    top = t;
}
void FakeWindow::SetSize(float w, float h) {
    width = w;
    height = h;
}
void FakeWindow::Show() {
    shown = true;
    log_.push_back("show window");
}
void FakeWindow::EnableTimer(bool enabled) {
    timerEnabled = enabled;
    log_.push_back(enabled ? "timer on" : "timer off");
}
void FakeWindow::MakeTopmost() {
    topmost = true;
    log_.push_back("topmost");
}
void FakeWindow::Unload() {
    log_.push_back("unload");
    unloaded = true;
    if (onQueryUnload) onQueryUnload();
}
void FakeWindow::PumpEvents() {
    ++pumps;
    if (onPump) onPump(pumps);
    log_.push_back("pump");
}
void FakeWindow::Sleep(std::uint32_t ms) {
    sleptMs += ms;
    log_.push_back("sleep " + std::to_string(ms));
}
void FakeWindow::WaitForEvents(std::uint32_t ms) {
    ++waits;
    sleptMs += ms;
    if (onWait) onWait(waits);
    if (events) WaitWithDeadline(*events, ms);
    log_.push_back("wait " + std::to_string(ms));
}

// --- FakeSound, FakeSpeaker --------------------------------------------------

void FakeSound::Play(const std::vector<std::uint8_t>& soundFile) {
    if (&soundFile == clack) {
        log_.push_back("clack");
    } else if (&soundFile == closing) {
        log_.push_back("closing");
    } else {
        log_.push_back("sound " + std::to_string(soundFile.size()));
    }
}

void FakeSpeaker::SpeakText(const std::u16string& text) {
    log_.push_back("speak " + U8(text));
    if (fail) throw KelError(ErrorKind::Io, "speaking");
}

// --- FakeFiles ---------------------------------------------------------------

bool FakeFiles::FileExists(const std::string& path) const {
    return files.count(Lower(path)) != 0;
}

std::string FakeFiles::ReadAll(const std::string& path) const {
    auto it = files.find(Lower(path));
    if (it == files.end()) throw KelError(ErrorKind::FileNotFound, "reading", path);
    return it->second;
}

void FakeFiles::WriteAll(const std::string& path, const std::string& bytes) {
    const std::string key = Lower(path);
    if (readOnly.count(key)) throw KelError(ErrorKind::AccessDenied, "writing", path);
    files[key] = bytes;
    writes.push_back(key);
}

void FakeFiles::ReplaceAll(const std::string& path, const std::string& bytes) {
    WriteAll(path, bytes);
}

// --- FakeProfile -------------------------------------------------------------

namespace {
std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}
std::string Trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}
bool IsSection(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const std::size_t close = t.find(']');
    if (close == std::string::npos) return false;
    *name = t.substr(1, close - 1);
    return true;
}
}  // namespace

std::string FakeProfile::GetString(const std::string& path, const std::string& section,
                                   const std::string& key,
                                   const std::string& defaultText) const {
    auto it = files_.files.find(Lower(path));
    if (it == files_.files.end()) return defaultText;
    bool inSection = false;
    for (const auto& line : SplitCrLf(it->second)) {
        std::string name;
        if (IsSection(line, &name)) {
            inSection = Lower(name) == Lower(section);
            continue;
        }
        if (!inSection) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (Lower(Trim(line.substr(0, eq))) == Lower(key)) {
            std::string value = Trim(line.substr(eq + 1));
            if (value.size() > 254) value.resize(254);
            return value;
        }
    }
    return defaultText;
}

void FakeProfile::WriteString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& value) {
    writes.push_back(section + "/" + key + "=" + value);
    const std::string fileKey = Lower(path);
    if (files_.readOnly.count(fileKey)) return;  // the result is not looked at
    std::vector<std::string> lines;
    auto it = files_.files.find(fileKey);
    if (it != files_.files.end()) lines = SplitCrLf(it->second);

    int sectionLine = -1, lastInSection = -1, keyLine = -1;
    bool inSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string name;
        if (IsSection(lines[i], &name)) {
            if (inSection) break;
            inSection = Lower(name) == Lower(section);
            if (inSection) sectionLine = lastInSection = i;
            continue;
        }
        if (!inSection) continue;
        if (!Trim(lines[i]).empty()) lastInSection = i;
        const std::size_t eq = lines[i].find('=');
        if (eq != std::string::npos && Lower(Trim(lines[i].substr(0, eq))) == Lower(key)) {
            keyLine = i;
            break;
        }
    }
    const std::string entry = key + "=" + value;
    if (keyLine >= 0) {
        lines[keyLine] = entry;
    } else if (sectionLine >= 0) {
        lines.insert(lines.begin() + lastInSection + 1, entry);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    files_.files[fileKey] = out;
    files_.writes.push_back(fileKey);
}

// --- FakeCodec ----------------------------------------------------------------

std::u16string FakeCodec::Decode(const std::string& bytes) const {
    std::u16string out;
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Convert one character at a time so that a bad byte becomes U+30FB
        // ("・", what the system shows for an undefined double-byte code) or,
        // for a lone byte, U+FFFD, and decoding goes on.
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        std::size_t len = (lead && i + 1 < bytes.size()) ? 2 : 1;
        char inBuf[2] = {bytes[i], len == 2 ? bytes[i + 1] : '\0'};
        char outBuf[8];
        char* inPtr = inBuf;
        char* outPtr = outBuf;
        std::size_t inLeft = len, outLeft = sizeof outBuf;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            out += len == 2 ? u'\u30FB' : u'\uFFFD';
        } else {
            for (char* p = outBuf; p + 1 < outPtr; p += 2) {
                out += static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                             (static_cast<unsigned char>(p[1]) << 8));
            }
        }
        i += len;
    }
    iconv_close(cd);
    return out;
}

bool FakeCodec::Encode(const std::u16string& text, std::string& bytes,
                       std::u16string* unrepresentable) const {
    bytes.clear();
    bool ok = true;
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    for (char16_t c : text) {
        char inBuf[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        char outBuf[8];
        char* inPtr = inBuf;
        char* outPtr = outBuf;
        std::size_t inLeft = 2, outLeft = sizeof outBuf;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            ok = false;
            if (unrepresentable && unrepresentable->find(c) == std::u16string::npos) {
                *unrepresentable += c;
            }
            continue;
        }
        bytes.append(outBuf, outPtr);
    }
    iconv_close(cd);
    return ok;
}

// --- FakeProcess --------------------------------------------------------------

void FakeProcess::EndProgram() {
    log_.push_back("end");
    throw ProgramEnded{};
}

std::vector<std::uint8_t> FakeProcess::LoadCustomResource(int id) const {
    auto it = resources.find(id);
    if (it == resources.end()) {
        throw KelError(ErrorKind::ResourceMissing, "loading a sound", std::to_string(id));
    }
    return it->second;
}

}  // namespace kel::fake

#include "params/kana.hpp"

#include <array>
#include <cstdint>
#include <unordered_map>

#include "archive/sjis.hpp"

namespace ruvo {

namespace {

// Full-width Shift-JIS code of each ASCII character 0x20..0x7E.
constexpr std::array<uint16_t, 95> kAsciiZen = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166,  // space ! " # $ % & '
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // ( ) * + , - . /
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 0..7
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 8 9 : ; < = > ?
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // @ A..G
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // H..O
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // P..W
    0x8277, 0x8278, 0x8279, 0x816D, 0x815F, 0x816E, 0x814F, 0x8151,  // X Y Z [ \ ] ^ _
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // ` a..g
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // h..o
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // p..w
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,          // x y z { | } ~
};

// Full-width code of each half-width katakana 0xA1..0xDF.
constexpr std::array<uint16_t, 63> kKanaZen = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // 。「」、・ヲァィ
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // ゥェォャュョッー
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // アイウエオカキク
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // ケコサシスセソタ
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // チツテトナニヌネ
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // ノハヒフヘホマミ
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // ムメモヤユヨラリ
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // ルレロワン゛゜
};

constexpr uint8_t kVoicedMark = 0xDE, kSemiVoicedMark = 0xDF;

// Half-width kana that take the voiced mark: カ..ト (0xB6..0xC4), ハ..ホ (0xCA..0xCE), ウ (0xB3).
bool TakesVoiced(uint8_t c) { return (c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE) || c == 0xB3; }
bool TakesSemiVoiced(uint8_t c) { return c >= 0xCA && c <= 0xCE; }
// Full-width code of the voiced form: the next code, except ウ whose voiced form is ヴ.
uint16_t Voiced(uint8_t c) { return c == 0xB3 ? 0x8394 : static_cast<uint16_t>(kKanaZen[c - 0xA1] + 1); }

void Put(std::string& out, uint16_t code) {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

// Full-width code -> half-width bytes (one or two).
const std::unordered_map<uint16_t, std::string>& HalfForms() {
    static const std::unordered_map<uint16_t, std::string> map = [] {
        std::unordered_map<uint16_t, std::string> m;
        for (size_t i = 0; i < kAsciiZen.size(); ++i) m.emplace(kAsciiZen[i], std::string(1, static_cast<char>(0x20 + i)));
        for (size_t i = 0; i < kKanaZen.size(); ++i) m.emplace(kKanaZen[i], std::string(1, static_cast<char>(0xA1 + i)));
        for (int c = 0xA1; c <= 0xDF; ++c) {
            const auto base = static_cast<uint8_t>(c);
            if (TakesVoiced(base))
                m.emplace(Voiced(base), std::string{static_cast<char>(base), static_cast<char>(kVoicedMark)});
            if (TakesSemiVoiced(base))
                m.emplace(static_cast<uint16_t>(kKanaZen[base - 0xA1] + 2),
                          std::string{static_cast<char>(base), static_cast<char>(kSemiVoicedMark)});
        }
        return m;
    }();
    return map;
}

} // namespace

std::string HanToZen(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<uint8_t>(s[i]);
        if (CharLength(s, i) == 2) {
            out.append(s.substr(i, 2));
            i += 2;
        } else if (c >= 0x20 && c <= 0x7E) {
            Put(out, kAsciiZen[c - 0x20]);
            ++i;
        } else if (c >= 0xA1 && c <= 0xDF) {
            const uint8_t mark = i + 1 < s.size() ? static_cast<uint8_t>(s[i + 1]) : 0;
            if (mark == kVoicedMark && TakesVoiced(c)) {
                Put(out, Voiced(c));
                i += 2;
            } else if (mark == kSemiVoicedMark && TakesSemiVoiced(c)) {
                Put(out, static_cast<uint16_t>(kKanaZen[c - 0xA1] + 2));
                i += 2;
            } else {
                Put(out, kKanaZen[c - 0xA1]);
                ++i;
            }
        } else {
            out += static_cast<char>(c);
            ++i;
        }
    }
    return out;
}

std::string ZenToHan(std::string_view s) {
    const auto& half = HalfForms();
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (CharLength(s, i) == 2) {
            const auto code = static_cast<uint16_t>((static_cast<uint8_t>(s[i]) << 8) | static_cast<uint8_t>(s[i + 1]));
            auto it = half.find(code);
            if (it != half.end()) out += it->second;
            else out.append(s.substr(i, 2));
            i += 2;
        } else {
            out += s[i++];
        }
    }
    return out;
}

} // namespace ruvo

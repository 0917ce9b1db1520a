// Host strings: encodings, unconvertible and nil strings, and the bookkeeping
// of string-data records.
#include "emu_fixture.h"

namespace {

constexpr int64_t kUTF8 = 0x08000100, kASCII = 0x0600, kLatin1 = 0x0201, kCp1252 = 0x0500,
                  kUTF16LE = 0x14000100, kUTF16BE = 0x10000100, kUTF32 = 0x0C000100;

}  // namespace

TEST_F(EmuTest, StringDataIsConvertedToTheRequestedEncoding) {
    struct Case {
        std::string bytes;
        int64_t from, to;
        const char* hex;
    } cases[] = {
        {"A\xC3\xA9", kUTF8, kLatin1, "41E9"},
        {"A\xC3\xA9", kUTF8, kASCII, "unreadable"},
        {"A", kUTF8, kASCII, "41"},
        {"\xE2\x82\xAC", kUTF8, kCp1252, "80"},
        {"\xE2\x82\xAC", kUTF8, kLatin1, "unreadable"},
        {"\xC3\xA9", kUTF8, kUTF16LE, "E900"},
        {"\xC3\xA9", kUTF8, kUTF16BE, "00E9"},
        {"\xF0\x9F\x98\x80", kUTF8, kUTF16BE, "D83DDE00"},
        {"\xF0\x9F\x98\x80", kUTF8, kUTF32, "00F60100"},
        {"\xE9", kLatin1, kUTF8, "C3A9"},
        {"\x80", kCp1252, kUTF8, "E282AC"},
        {"\x81", kCp1252, kUTF8, "unreadable"},  // unassigned in Windows-1252
        {std::string("\x00\xE9", 2), kUTF16BE, kUTF8, "C3A9"},
        {"\xFF", kUTF8, kUTF8, "FF"},                 // same encoding: byte for byte
        {"\xFF", kUTF8, kLatin1, "unreadable"},       // not UTF-8, cannot convert
        {"\xC0\x80", kUTF8, kUTF16LE, "unreadable"},  // overlong form
        {std::string("a\0b", 3), kUTF8, kUTF8, "610062"},
    };
    for (const Case& c : cases) {
        emu::Value s = host().strInEncoding(c.bytes, static_cast<uint32_t>(c.from));
        EXPECT_EQ(Fake("BytesHex", {s, Int(c.to)}).asString(), c.hex)
            << "from " << std::hex << c.from << " to " << c.to;
    }
}

TEST_F(EmuTest, UnconvertibleStringsYieldNoData) {
    EXPECT_EQ(Fake("BytesHex", {host().strUnconvertible("abc"), Int(kUTF8)}).asString(),
              "unreadable");
    // Test code still sees the raw bytes.
    EXPECT_EQ(host().strUnconvertible("abc").asString(), "abc");
}

TEST_F(EmuTest, NilAndEmptyStringsReadAsEmptyData) {
    EXPECT_TRUE(Fake("NilReadsEmpty", {host().nilString()}).asBool());
    EXPECT_TRUE(Fake("NilReadsEmpty", {Str("")}).asBool());
    EXPECT_FALSE(Str("").isNil());
    emu::Value echoed = Fake("Echo", {Str("h\xC3\xA9llo")});
    EXPECT_EQ(echoed.kind(), emu::Kind::String);
    EXPECT_EQ(echoed.asString(), "h\xC3\xA9llo");
    EXPECT_EQ(Fake("Echo", {host().nilString()}).asString(), "");
}

class EmptyAsNil : public EmuTest {
protected:
    emu::HostConfig Config() const override {
        emu::HostConfig c;
        c.emptyStringAsNil = true;
        return c;
    }
};

TEST_F(EmptyAsNil, EmptyStringsArePassedAsNil) {
    EXPECT_TRUE(Str("").isNil());
    EXPECT_EQ(Str("").kind(), emu::Kind::String);
    EXPECT_FALSE(Str("x").isNil());
    EXPECT_TRUE(Fake("NilReadsEmpty", {Str("")}).asBool());
}

TEST_F(EmuTest, EveryStringDataRecordMustComeBackExactlyOnce) {
    Fake("DoubleDispose", {Str("abc")});
    std::vector<std::string> v = Violations();
    ASSERT_EQ(v.size(), 1u) << Joined(v);
    EXPECT_TRUE(Mentions(v, "disposed twice")) << Joined(v);
    EXPECT_EQ(host().leaks().outstandingStringData, 0);
}

TEST_F(EmuTest, ReleasingAStringTwiceIsReported) {
    Fake("DoubleUnlockString");
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "used after it was released")) << Joined(v);
}

TEST_F(EmuTest, BuildStringRejectsImpossibleLengths) {
    auto build = reinterpret_cast<REALBuildStringWithEncodingProc>(
        host().resolver()("REALBuildStringWithEncoding"));
    EXPECT_EQ(build("abc", -1, kREALTextEncodingUTF8), nullptr);
    EXPECT_EQ(build(nullptr, 3, kREALTextEncodingUTF8), nullptr);
    std::vector<std::string> v = Violations();
    EXPECT_TRUE(Mentions(v, "negative length")) << Joined(v);
    EXPECT_TRUE(Mentions(v, "null bytes")) << Joined(v);
    // An empty string is a real string the caller owns.
    REALstring empty = build(nullptr, 0, kREALTextEncodingUTF8);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(host().leaks().liveStrings, 1);
    emu::Value adopted = emu::Value::AdoptString(host(), empty);
    EXPECT_EQ(adopted.asString(), "");
}

TEST_F(EmuTest, GetStringDataOfAReleasedStringIsReported) {
    emu::Value s = Str("gone");
    REALstring raw = s.string();
    s = {};
    REALstringData d;
    auto get = reinterpret_cast<PluginGetStringDataProc>(host().resolver()("PluginGetStringData"));
    EXPECT_EQ(get(raw, kREALTextEncodingUTF8, &d), 0);
    EXPECT_TRUE(Mentions(Violations(), "used after it was released"));
}

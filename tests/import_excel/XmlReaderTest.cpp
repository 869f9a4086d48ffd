// The XML reader of the package parts, fed whole and in pieces of every
// size, and its two decoders (entities, the .xlsx _xHHHH_ escapes).
#include "import_excel/XmlReader.h"

#include <gtest/gtest.h>

namespace {

using namespace tessaro7::import_excel;

// Writes the events as "<name a=v>", "text", "</name>", texts of one element joined.
struct Recorder : XmlHandler {
    std::string events;
    bool inText = false;
    std::string stopAt;
    bool stopped = false;
    bool skim = false;  // no attributes but of <k>, no text
    bool wantsAttributes(std::string_view name) const override { return !skim || name == "k"; }
    bool wantsText() const override { return !skim; }
    void open(std::string_view name, const XmlAttributes& a) override {
        events += "<" + std::string(name);
        for (const auto& [k, v] : a) events += " " + std::string(k) + "=" + std::string(v);
        events += ">";
        stopped = stopped || name == stopAt;
    }
    void close(std::string_view name) override { events += "</" + std::string(name) + ">"; }
    void text(std::string_view t) override { events += t; }
    bool done() const override { return stopped; }
};

// The events, or "!" and the cause: "!Truncated", "!Dtd", or "!BadXml" and the reason.
std::string read(std::string_view xml, std::size_t piece, const std::string& stopAt = "", bool skim = false) {
    Recorder r;
    r.stopAt = stopAt;
    r.skim = skim;
    XmlReader reader(r);
    try {
        for (std::size_t at = 0; at < xml.size(); at += piece)
            if (!reader.feed(xml.substr(at, piece))) break;
        reader.finish();
    } catch (const XmlError& e) {
        switch (e.cause()) {
        case ReadFailure::Truncated: return "!Truncated";
        case ReadFailure::Dtd: return "!Dtd";
        case ReadFailure::BadXml: return "!BadXml " + std::string(e.what());
        default: return "!other cause " + std::string(e.what());
        }
    }
    return r.events;
}

TEST(XmlReader, EventsAreTheSameWhateverThePieces) {
    struct Case {
        const char* xml;
        const char* events;
    };
    const Case cases[] = {
        {"<a/>", "<a></a>"},
        {"<?xml version=\"1.0\"?>\n<x:a x:b=\"1\" c='2'>t</x:a>\n", "<a b=1 c=2>t</a>"},
        {"\xEF\xBB\xBF<a>byte-order mark</a>", "<a>byte-order mark</a>"},
        {"<a>&lt;&gt;&amp;&quot;&apos;</a>", "<a><>&\"'</a>"},
        {"<a>&#65;&#x42;&#X43;&#233;&#x20AC;</a>", "<a>ABCé€</a>"},
        {"<a>&#0;&#xD800;&#x110000;</a>", "<a>\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD</a>"},
        {"<a v=\"&lt;x&amp;y&gt;\" w=\"&#x41;\"/>", "<a v=<x&y> w=A></a>"},
        {"<a><![CDATA[<b>&amp;]]></a>", "<a><b>&amp;</a>"},
        {"<a><!-- <b> --><?pi x?>c</a>", "<a>c</a>"},
        {"<a  b = \"1\"\n\tc=\"\" ></a >", "<a b=1 c=></a>"},
        {"<a><b><c/></b></a>", "<a><b><c></c></b></a>"},
        {"<a>x<!---->y</a>", "<a>xy</a>"},
        // Long names and values, read past their first bytes in blocks.
        {"<table:table-cell office:value-type=\"string\" calcext:value-type='string'><text:p>x</text:p></table:table-cell>",
         "<table-cell value-type=string value-type=string><p>x</p></table-cell>"},
        {"<a.very.long.prefix.0123:and-a-long-local-name-too a=\"1\"/>", "<and-a-long-local-name-too a=1></and-a-long-local-name-too>"},
        {"<p:q:abcdefghijklmnopqrstuvwxyz0123456789></p:q:abcdefghijklmnopqrstuvwxyz0123456789>",
         "<abcdefghijklmnopqrstuvwxyz0123456789></abcdefghijklmnopqrstuvwxyz0123456789>"},
        {"<a v=\"0123456789abcdefgh&amp;i\" w=\"0123456789abcdefghij\"/>", "<a v=0123456789abcdefgh&i w=0123456789abcdefghij></a>"},
        {"<x:a></y:a>", "<a></a>"},
    };
    for (const Case& c : cases)
        for (std::size_t piece : {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(7), std::size_t(1000)})
            EXPECT_EQ(read(c.xml, piece), c.events) << c.xml << " in pieces of " << piece;
}

TEST(XmlReader, DamagedPartsAreRefusedWithTheReason) {
    struct Case {
        const char* xml;
        const char* reason;  // the start of the reason
    };
    const Case cases[] = {
        {"", "!Truncated"},
        {"<a>", "!Truncated"},
        {"<a><b></b>", "!Truncated"},
        {"<a b=\"1", "!Truncated"},
        {"<a>&amp", "!Truncated"},
        {"<?xml version=\"1.0\"?>", "!Truncated"},
        {"<!DOCTYPE a [<!ENTITY e \"<b>INJECTED</b>\">]><a>&e;</a>", "!Dtd"},
        {"<a>&e;</a>", "!BadXml entità sconosciuta \"e\""},
        {"<a>&#xZZ;</a>", "!BadXml riferimento a carattere non valido"},
        {"<a>&amp</a>", "!BadXml riferimento a carattere non chiuso"},
        {"<a></b>", "!BadXml chiusura di un elemento non aperto"},
        {"<table:cell></table:cellx>", "!BadXml chiusura di un elemento non aperto"},
        {"<table:cell></table:cel>", "!BadXml chiusura di un elemento non aperto"},
        {"<a b=1/>", "!BadXml valore di attributo senza virgolette"},
        {"<a b/>", "!BadXml attributo senza valore"},
        {"< a/>", "!BadXml elemento senza nome"},
        {"<a/><b/>", "!BadXml contenuto dopo la fine dell'elemento radice"},
        {"<a><!ELEMENT a ANY></a>", "!BadXml dichiarazione non ammessa"},
    };
    for (const Case& c : cases)
        for (std::size_t piece : {std::size_t(1), std::size_t(1000)}) {
            std::string got = read(c.xml, piece);
            EXPECT_EQ(got.substr(0, std::string(c.reason).size()), c.reason) << c.xml << " in pieces of " << piece << ": " << got;
        }
    // The reason names the byte where the part went wrong.
    EXPECT_EQ(read("<a>\n<b c=d/></a>", 1000), "!BadXml valore di attributo senza virgolette, al byte 9");
}

TEST(XmlReader, BoundsOnNestingAndTokenLength) {
    std::string deep;
    for (std::size_t i = 0; i <= XmlReader::kMaxDepth; ++i) deep += "<a>";
    EXPECT_EQ(read(deep, 4096).rfind("!BadXml elementi annidati troppo a fondo", 0), 0u);
    std::string deepEnough;
    for (std::size_t i = 0; i < XmlReader::kMaxDepth; ++i) deepEnough += "<a>";
    for (std::size_t i = 0; i < XmlReader::kMaxDepth; ++i) deepEnough += "</a>";
    EXPECT_EQ(read(deepEnough, 4096).substr(0, 1), "<");
    // A tag that never ends is not kept beyond the longest token.
    std::string endless = "<a b=\"" + std::string(XmlReader::kMaxToken + 10, 'x');
    EXPECT_EQ(read(endless, 65536).rfind("!BadXml elemento troppo lungo", 0), 0u);
    // Text of any length passes through in pieces.
    EXPECT_EQ(read("<a>" + std::string(XmlReader::kMaxToken + 10, 'y') + "</a>", 65536).size(), XmlReader::kMaxToken + 10 + 7);
    // More attributes than kept: the first ones are given.
    std::string many = "<a";
    for (std::size_t i = 0; i < XmlReader::kMaxAttributes + 5; ++i) many += " n" + std::to_string(i) + "=\"v\"";
    std::string events = read(many + "/>", 100);
    EXPECT_NE(events.find(" n0=v"), std::string::npos);
    EXPECT_EQ(events.find(" n" + std::to_string(XmlReader::kMaxAttributes) + "=v"), std::string::npos);
}

TEST(XmlReader, AHandlerThatIsDoneStopsTheReading) {
    // Once done, the rest of the part (even a damaged rest) is not read.
    EXPECT_EQ(read("<a><b/><c>never", 2, "b"), "<a><b></b>");
    EXPECT_EQ(read("<a><b/><c>never", 2, "c"), "<a><b></b><c>");
    EXPECT_EQ(read("<a><b/><c>never", 2, "d"), "!Truncated");
}

TEST(XmlReader, SkimmedElementsKeepTheirFormButGiveNoAttributesOrText) {
    struct Case {
        const char* xml;
        const char* events;
    };
    const Case cases[] = {
        {"<a b=\"1\"><k c=\"2\"/>text</a>", "<a><k c=2></k></a>"},
        {"<a b='>' c=\"/\"><d e=\"&lt;\"/></a>", "<a><d></d></a>"},
        {"<a><b x=\"1\"/><b/></a>", "<a><b></b><b></b></a>"},
        {"<a b=\"1\" <c/></a>", "!BadXml elemento non terminato"},
        {"<a b=\"1></a>", "!Truncated"},
        {"<a><b></a>", "!BadXml chiusura di un elemento non aperto"},
    };
    for (const Case& c : cases)
        for (std::size_t piece : {std::size_t(1), std::size_t(5), std::size_t(1000)}) {
            std::string got = read(c.xml, piece, "", true);
            EXPECT_EQ(got.substr(0, std::string(c.events).size()), c.events) << c.xml << " in pieces of " << piece;
        }
}

TEST(XmlReader, OoxmlEscapesAtEveryPosition) {
    struct Case {
        const char* stored;
        const char* text;
    };
    const Case cases[] = {
        {"_x0041_", "A"},
        {"a_x0041_", "aA"},
        {"_x0041_b", "Ab"},
        {"a_x000D_b", "a\rb"},
        {"x_x005F_x0041_", "x_x0041_"},
        {"_x0041__x0042_", "AB"},
        {"_x20AC_", "€"},
        {"_xD800_", "\xEF\xBF\xBD"},
        {"_x004_", "_x004_"},
        {"_x00G1_", "_x00G1_"},
        {"ab_x0041", "ab_x0041"},
        {"_x", "_x"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.stored;
        decodeOoxmlEscapes(text);
        EXPECT_EQ(text, c.text) << c.stored;
        // From a position on: what comes before stays as stored.
        std::string tail = std::string("_x0041_") + c.stored;
        decodeOoxmlEscapes(tail, 7);
        EXPECT_EQ(tail, std::string("_x0041_") + c.text) << c.stored;
    }
}

}  // namespace

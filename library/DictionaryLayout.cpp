#include "DictionaryLayout.h"

#include <array>
#include <utility>

namespace {

const QString GodKey = QStringLiteral("TopicalText Book GOD");
const QString ChristKey = QStringLiteral("TopicalTextBook CONCERNING GOD");
const QString RedemptionKey = QStringLiteral("TopicalTextBook CONERNING REDEMPTION");

// The themed records of the topical index: each topic listed here is taken
// out of its alphabetical range and shown with the others of its theme.
const std::array<std::pair<const char *, const QString *>, 37> ThemedTopics{{
    {"GOD", &GodKey},
    {"ATTRIBUTES OF GOD", &GodKey},
    {"NAMES OF GOD", &GodKey},
    {"CONDESCENSION OF GOD", &GodKey},
    {"FOREKNOWLEDGE OF GOD", &GodKey},
    {"GRACE OF GOD", &GodKey},
    {"PROVIDENCE", &GodKey},
    {"TRINITY", &GodKey},
    {"ANCIENT OF DAYS", &GodKey},
    {"I AM THAT I AM", &GodKey},
    {"JEHOVAH-JIREH", &GodKey},
    {"JEHOVAH-NISSI", &GodKey},
    {"JEHOVAH-SHALOM", &GodKey},

    {"JESUS, THE CHRIST", &ChristKey},
    {"CHRIST", &ChristKey},
    {"DIVINITY OF CHRIST", &ChristKey},
    {"NAMES OF JESUS", &ChristKey},
    {"EMMANUEL", &ChristKey},
    {"IMMANUEL", &ChristKey},
    {"MESSIAH", &ChristKey},
    {"LAMB OF GOD", &ChristKey},
    {"SAVIOUR (SAVIOR)", &ChristKey},
    {"INCARNATION", &ChristKey},
    {"ANGEL (HOLY TRINITY)", &ChristKey},
    {"HOLY SPIRIT", &ChristKey},
    {"COMFORTER", &ChristKey},

    {"ATONEMENT", &RedemptionKey},
    {"REDEMPTION", &RedemptionKey},
    {"SALVATION", &RedemptionKey},
    {"PLAN OF SALVATION", &RedemptionKey},
    {"JUSTIFICATION", &RedemptionKey},
    {"REGENERATION", &RedemptionKey},
    {"FORGIVENESS", &RedemptionKey},
    {"PARDON", &RedemptionKey},
    {"PROPITIATION", &RedemptionKey},
    {"RECONCILIATION", &RedemptionKey},
    {"ADOPTION", &RedemptionKey},
}};

QVector<AlphabeticRanges::Range> topicalRangeTable()
{
    // Keys as the list spells them; bounds as the topics are spelt.
    return {
        {QStringLiteral("TopicalTextBook"), QString()},
        {QStringLiteral("TopicalTextBook FOX"), QStringLiteral("FOX")},
        {QStringLiteral("TopicalTextBook GRACE"), QStringLiteral("GRACE")},
        {QStringLiteral("TopicalTextBook HOLINESS"), QStringLiteral("HOLINESS")},
        {QStringLiteral("TopicalTextBook INGORANCE"), QStringLiteral("IGNORANCE")},
        {QStringLiteral("TopicalTextBook KINGS"), QStringLiteral("KINGS")},
        {QStringLiteral("TopicalTextBook LOVE"), QStringLiteral("LOVE")},
        {QStringLiteral("TopicalTextBook MIRACLES"), QStringLiteral("MIRACLES")},
        {QStringLiteral("TopicalTextBook NINEVEH"), QStringLiteral("NINEVEH")},
        {QStringLiteral("TopicalTextBook PILGRIMS"), QStringLiteral("PILGRIMS")},
        {QStringLiteral("TopicalTextBook PRIESTS"), QStringLiteral("PRIESTS")},
        {QStringLiteral("TopicalTextBook RED HEIFER"), QStringLiteral("RED HEIFER")},
        {QStringLiteral("TopicalTextBook SALT"), QStringLiteral("SALT")},
        {QStringLiteral("TopicalTextBook SHEEP"), QStringLiteral("SHEEP")},
        {QStringLiteral("TopicalTextBook SUN"), QStringLiteral("SUN")},
        {QStringLiteral("TopicalTextBook  TITLES"), QStringLiteral("TITLES")},
        {QStringLiteral("TopicalTextBook VINEYARDS"), QStringLiteral("VINEYARDS")},
    };
}

AlphabeticRanges topicalRanges()
{
    return AlphabeticRanges(topicalRangeTable());
}

} // namespace

namespace DictionaryLayout {

AlphabeticRanges bibleNames()
{
    return AlphabeticRanges({{QStringLiteral("BibleNames A-J"), QStringLiteral("A")},
                             {QStringLiteral("BibleNames K-Z"), QStringLiteral("K")}});
}

AlphabeticRanges wordUsage()
{
    return AlphabeticRanges({{QStringLiteral("WordUsage A-B"), QStringLiteral("A")},
                             {QStringLiteral("WordUsage C-D"), QStringLiteral("C")},
                             {QStringLiteral("WordUsage E- G"), QStringLiteral("E")},
                             {QStringLiteral("WordUsage H-J"), QStringLiteral("H")},
                             {QStringLiteral("WordUsage K-N"), QStringLiteral("K")},
                             {QStringLiteral("WordUsage O-R"), QStringLiteral("O")},
                             {QStringLiteral("WordUsage S-T"), QStringLiteral("S")},
                             {QStringLiteral("WordUsage U-Z"), QStringLiteral("U")}});
}

AlphabeticRanges bibleDict(const QStringList &subjectKeys)
{
    const QString prefix = QStringLiteral("BibleDict ");
    QVector<AlphabeticRanges::Range> ranges;
    for (const QString &key : subjectKeys) {
        if (!key.startsWith(prefix))
            continue;
        ranges.push_back({key, ranges.isEmpty() ? QString() : key.mid(prefix.size())});
    }
    return AlphabeticRanges(ranges);
}

QString topicalKey(const QString &topic)
{
    const QString t = topic.simplified().toUpper();
    for (const auto &[name, key] : ThemedTopics)
        if (t == QLatin1String(name))
            return *key;
    static const AlphabeticRanges ranges = topicalRanges();
    return ranges.keyFor(t);
}

QString topicalDescription(const QString &key)
{
    if (key == GodKey)
        return QStringLiteral("topics on God");
    if (key == ChristKey)
        return QStringLiteral("topics on Christ and the Holy Spirit");
    if (key == RedemptionKey)
        return QStringLiteral("topics on atonement, redemption, salvation, justification, regeneration and forgiveness");
    const QVector<AlphabeticRanges::Range> table = topicalRangeTable();
    for (qsizetype i = 0; i < table.size(); ++i) {
        if (table.at(i).key != key)
            continue;
        const QString from = i == 0 ? QStringLiteral("A") : table.at(i).bound;
        return i + 1 < table.size() ? QStringLiteral("from %1 to %2").arg(from, table.at(i + 1).bound)
                                    : QStringLiteral("from %1 to the end").arg(from);
    }
    return {};
}

QStringList topicalKeys()
{
    QStringList keys = topicalRanges().keys();
    keys.insert(1, GodKey);
    keys << ChristKey << RedemptionKey;
    return keys;
}

} // namespace DictionaryLayout

#include "CrudeFilter.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Stems match any ending ("seduc" catches seduce, seduction); whole words match alone.
const char *const Stems[] = {
    "fuck", "shit", "bullshit", "goddam", "asshole", "bitch", "bastard", "cunt", "piss", "crap",
    "masturbat", "orgasm", "orgies", "orgy", "erotic", "porn", "pornograph", "prostitut", "whore",
    "brothel", "bawd", "seduc", "sexual", "sexy", "sexi", "nympho", "lecher", "lust", "libid", "adulter",
    "fornicat", "intercourse", "copulat", "condom", "contracept", "viagra", "genital", "penis",
    "vagin", "testic", "testicle", "erection", "impoten", "nude", "nudity", "naked", "undress",
    "homosex", "lesbian", "transvest", "bordello", "harlot", "hooker", "horny", "kinky",
    "mistress", "concubine", "stripper", "striptease", "bosom", "breast", "boob", "buttock", "thigh",
    "marijuana", "cocaine", "heroin", "opium", "hashish", "narcotic", "junkie", "stoned",
    "hallucinog", "psychedel", "drunk", "booze", "whisk", "liquor", "beer", "vodka", "tequila",
    "cannabis", "amphetamin", "nigger", "negro", "faggot", "retard", "spastic", "kike",
    "pederast", "sodom", "rape", "raping", "rapist", "incest", "suicid", "genocid",
};
const char *const Words[] = {
    "sex", "sexes", "ass", "asses", "arse", "damn", "damned", "damnit", "dammit", "hell's",
    "bloody", "tits", "tit", "butt", "bum", "fag", "fags", "queer", "dyke", "chink", "gook",
    "spic", "wop", "jap", "coon", "darkie", "lsd", "dope", "bong", "gay", "bedroom",
    "sleep with", "slept with", "sleeping with", "make love", "making love", "made love",
    "in bed", "love affair", "pimp", "christ almighty", "god damn", "for god's sake",
    "oh god", "my god", "lord almighty", "wench", "screw", "screwed", "screwing", "balls",
    "busty", "hump", "climax", "sperm", "knickers", "panties", "underwear", "bra", "bikini",
    "virgin", "virgins", "virginity", "the hell", "hell of a", "go to hell", "like hell",
    "what the devil", "drinking", "poo", "poop", "fart", "farts", "toilet", "puke", "vomit",
};

QRegularExpression buildPattern()
{
    QStringList parts;
    for (const char *s : Stems)
        parts << QStringLiteral("\\b%1\\w*").arg(QRegularExpression::escape(QLatin1String(s)));
    for (const char *w : Words)
        parts << QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(QLatin1String(w)).replace(QLatin1String("\\ "), QLatin1String("\\s+")));
    return QRegularExpression(parts.join(QLatin1Char('|')),
                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
}

} // namespace

namespace CrudeFilter {

QString offence(const QString &text)
{
    static const QRegularExpression pattern = buildPattern();
    const QRegularExpressionMatch m = pattern.match(text);
    return m.hasMatch() ? m.captured(0).toLower().simplified() : QString();
}

} // namespace CrudeFilter

#include "color/refusal.h"

#include <array>

namespace {

// The spellings style sheets use, for the keywords the text held in any case.
constexpr std::array<std::string_view, 44> kCanonical = {
    "currentColor", "Canvas", "CanvasText", "LinkText", "VisitedText", "ActiveText", "ButtonFace",
    "ButtonText", "ButtonBorder", "Field", "FieldText", "Highlight", "HighlightText", "SelectedItem",
    "SelectedItemText", "Mark", "MarkText", "GrayText", "AccentColor", "AccentColorText", "ActiveBorder",
    "ActiveCaption", "AppWorkspace", "Background", "ButtonHighlight", "ButtonShadow", "CaptionText",
    "InactiveBorder", "InactiveCaption", "InactiveCaptionText", "InfoBackground", "InfoText", "Menu",
    "MenuText", "Scrollbar", "ThreeDDarkShadow", "ThreeDFace", "ThreeDHighlight", "ThreeDLightShadow",
    "ThreeDShadow", "Window", "WindowFrame", "WindowText", "revert-layer",
};

QString spelled(std::string_view subject)
{
    for (std::string_view name : kCanonical) {
        if (name.size() != subject.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = char(name[i] | 0x20) == subject[i] || name[i] == subject[i];
        if (same)
            return QString::fromLatin1(name.data(), qsizetype(name.size()));
    }
    return QString::fromLatin1(subject.data(), qsizetype(subject.size()));
}

} // namespace

namespace Refusals {

Refusal forFunction(std::string_view name)
{
    if (name == "var")
        return {Refusal::Variable, name};
    if (name == "env" || name == "attr")
        return {Refusal::PageFunction, name};
    if (name == "light-dark")
        return {Refusal::LightDark, name};
    return {};
}

Refusal forVariable(const CssToken &sigil, const CssToken &name)
{
    if (sigil.kind != CssToken::Delim || name.kind != CssToken::Ident || (sigil.text != "$" && sigil.text != "@"))
        return {};
    return {sigil.text == "$" ? Refusal::SassVariable : Refusal::LessVariable,
            std::string_view(sigil.text.data(), name.text.size() + 1)};
}

void note(Refusal &kept, const Refusal &found)
{
    if (kept.kind == Refusal::None)
        kept = found;
}

QString reason(const Refusal &refusal)
{
    const QString subject = spelled(refusal.subject);
    switch (refusal.kind) {
    case Refusal::Variable:
        return QStringLiteral("var() はページの外では値を持ちません");
    case Refusal::PageFunction:
        return QStringLiteral("%1() はページの外では値を持ちません").arg(subject);
    case Refusal::CurrentColor:
        return QStringLiteral("currentColor はそれを使う要素の文字色で、\nページの外では決まりません");
    case Refusal::SystemColor:
        return QStringLiteral("%1 はシステムの色で、\nブラウザーと OS の設定によって決まります").arg(subject);
    case Refusal::LightDark:
        return QStringLiteral("light-dark() はページがライトとダークの\nどちらで表示されるかによって決まります");
    case Refusal::WideKeyword:
        return QStringLiteral("%1 は値の受け継ぎ方の指定で、\n色そのものではありません").arg(subject);
    case Refusal::RelativeLength:
        return QStringLiteral("%1 の長さは文字や画面の大きさによって決まり、\nページの外ではわかりません").arg(subject);
    case Refusal::SassVariable:
        return QStringLiteral("%1 は Sass の変数で、\nその値はここにはありません").arg(subject);
    case Refusal::LessVariable:
        return QStringLiteral("%1 は LESS の変数で、\nその値はここにはありません").arg(subject);
    case Refusal::TwoColors:
        return QStringLiteral("色が 2 つ以上あり、\nどれを取り込むか決まりません");
    case Refusal::None:
    case Refusal::NotAColor:
        break;
    }
    return QString();
}

}

#include "color/colorspace.h"

#include <algorithm>
#include <cmath>

namespace {

using Matrix = std::array<Channels, 3>;

constexpr double kPi = 3.14159265358979323846;

// The matrices and transfer functions of the W3C's CSS Color 4, in its sample code's
// own rational or 64-bit form.
constexpr Matrix kLinearSrgbToXyz = {{
    {506752.0 / 1228815, 87881.0 / 245763, 12673.0 / 70218},
    {87098.0 / 409605, 175762.0 / 245763, 12673.0 / 175545},
    {7918.0 / 409605, 87881.0 / 737289, 1001167.0 / 1053270},
}};
constexpr Matrix kXyzToLinearSrgb = {{
    {12831.0 / 3959, -329.0 / 214, -1974.0 / 3959},
    {-851781.0 / 878810, 1648619.0 / 878810, 36519.0 / 878810},
    {705.0 / 12673, -2585.0 / 12673, 705.0 / 667},
}};
constexpr Matrix kLinearP3ToXyz = {{
    {608311.0 / 1250200, 189793.0 / 714400, 198249.0 / 1000160},
    {35783.0 / 156275, 247089.0 / 357200, 198249.0 / 2500400},
    {0.0, 32229.0 / 714400, 5220557.0 / 5000800},
}};
constexpr Matrix kXyzToLinearP3 = {{
    {446124.0 / 178915, -333277.0 / 357830, -72051.0 / 178915},
    {-14852.0 / 17905, 63121.0 / 35810, 423.0 / 17905},
    {11844.0 / 330415, -50337.0 / 660830, 316169.0 / 330415},
}};
constexpr Matrix kLinearProphotoToXyzD50 = {{
    {0.79776664490064230, 0.13518129740053308, 0.03134773412839220},
    {0.28807482881940130, 0.71183523424187300, 0.00008993693872564},
    {0.00000000000000000, 0.00000000000000000, 0.82510460251046020},
}};
constexpr Matrix kXyzD50ToLinearProphoto = {{
    {1.34578688164715830, -0.25557208737979464, -0.05110186497554526},
    {-0.54463070512490190, 1.50824774284514680, 0.02052744743642139},
    {0.00000000000000000, 0.00000000000000000, 1.21196754563894520},
}};
constexpr Matrix kLinearA98ToXyz = {{
    {573536.0 / 994567, 263643.0 / 1420810, 187206.0 / 994567},
    {591459.0 / 1989134, 6239551.0 / 9945670, 374412.0 / 4972835},
    {53769.0 / 1989134, 351524.0 / 4972835, 4929758.0 / 4972835},
}};
constexpr Matrix kXyzToLinearA98 = {{
    {1829569.0 / 896150, -506331.0 / 896150, -308931.0 / 896150},
    {-851781.0 / 878810, 1648619.0 / 878810, 36519.0 / 878810},
    {16779.0 / 1248040, -147721.0 / 1248040, 1266979.0 / 1248040},
}};
constexpr Matrix kLinearRec2020ToXyz = {{
    {63426534.0 / 99577255, 20160776.0 / 139408157, 47086771.0 / 278816314},
    {26158966.0 / 99577255, 472592308.0 / 697040785, 8267143.0 / 139408157},
    {0.0, 19567812.0 / 697040785, 295819943.0 / 278816314},
}};
constexpr Matrix kXyzToLinearRec2020 = {{
    {30757411.0 / 17917100, -6372589.0 / 17917100, -4539589.0 / 17917100},
    {-19765991.0 / 29648200, 47925759.0 / 29648200, 467509.0 / 29648200},
    {792561.0 / 44930125, -1921689.0 / 44930125, 42328811.0 / 44930125},
}};
// Bradford chromatic adaptation between the two whites.
constexpr Matrix kD65ToD50 = {{
    {1.0479297925449969, 0.022946870601609652, -0.05019226628920524},
    {0.02962780877005599, 0.9904344267538799, -0.017073799063418826},
    {-0.009243040646204504, 0.015055191490298152, 0.7518742814281371},
}};
constexpr Matrix kD50ToD65 = {{
    {0.955473421488075, -0.02309845494876471, 0.06325924320057072},
    {-0.0283697093338637, 1.0099953980813041, 0.021041441191917323},
    {0.012314014864481998, -0.020507649298898964, 1.330365926242124},
}};
constexpr Matrix kXyzToLms = {{
    {0.8190224379967030, 0.3619062600528904, -0.1288737815209879},
    {0.0329836539323885, 0.9292868615863434, 0.0361446663506424},
    {0.0481771893596242, 0.2642395317527308, 0.6335478284694309},
}};
constexpr Matrix kLmsToOklab = {{
    {0.2104542683093140, 0.7936177747023054, -0.0040720430116193},
    {1.9779985324311684, -2.4285922420485799, 0.4505937096174110},
    {0.0259040424655478, 0.7827717124575296, -0.8086757549230774},
}};
constexpr Matrix kLmsToXyz = {{
    {1.2268798758459243, -0.5578149944602171, 0.2813910456659647},
    {-0.0405757452148008, 1.1122868032803170, -0.0717110580655164},
    {-0.0763729366746601, -0.4214933324022432, 1.5869240198367816},
}};
constexpr Matrix kOklabToLms = {{
    {1.0, 0.3963377773761749, 0.2158037573099136},
    {1.0, -0.1055613458156586, -0.0638541728258133},
    {1.0, -0.0894841775298119, -1.2914855480194092},
}};
constexpr Channels kD50White = {0.3457 / 0.3585, 1.0, (1.0 - 0.3457 - 0.3585) / 0.3585};

// Below these, the hue of a grey converted to a polar space is left undetermined.
constexpr double kLchAchromatic = 0.0015;
constexpr double kOklchAchromatic = 0.000004;

Channels multiply(const Matrix &m, const Channels &v)
{
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2], m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

template<typename F>
Channels each(const Channels &v, F f)
{
    return {f(v[0]), f(v[1]), f(v[2])};
}

// The transfer functions extend to negative values by symmetry, as CSS Color 4's do.
double srgbToLinear(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude <= 0.04045)
        return value / 12.92;
    return std::copysign(std::pow((magnitude + 0.055) / 1.055, 2.4), value);
}

double linearToSrgb(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude <= 0.0031308)
        return value * 12.92;
    return std::copysign(1.055 * std::pow(magnitude, 1 / 2.4) - 0.055, value);
}

double a98ToLinear(double value)
{
    return std::copysign(std::pow(std::fabs(value), 563.0 / 256), value);
}

double linearToA98(double value)
{
    return std::copysign(std::pow(std::fabs(value), 256.0 / 563), value);
}

double prophotoToLinear(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude <= 16.0 / 512)
        return value / 16;
    return std::copysign(std::pow(magnitude, 1.8), value);
}

double linearToProphoto(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude >= 1.0 / 512)
        return std::copysign(std::pow(magnitude, 1 / 1.8), value);
    return value * 16;
}

constexpr double kRec2020Alpha = 1.09929682680944;
constexpr double kRec2020Beta = 0.018053968510807;

double rec2020ToLinear(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude < kRec2020Beta * 4.5)
        return value / 4.5;
    return std::copysign(std::pow((magnitude + kRec2020Alpha - 1) / kRec2020Alpha, 1 / 0.45), value);
}

double linearToRec2020(double value)
{
    const double magnitude = std::fabs(value);
    if (magnitude > kRec2020Beta)
        return std::copysign(kRec2020Alpha * std::pow(magnitude, 0.45) - (kRec2020Alpha - 1), value);
    return value * 4.5;
}

double normalizedHue(double hue)
{
    hue = std::fmod(hue, 360.0);
    return hue < 0 ? hue + 360 : hue;
}

Channels hslToSrgb(const Channels &hsl)
{
    const double hue = normalizedHue(hsl[0]);
    const double saturation = hsl[1] / 100;
    const double lightness = hsl[2] / 100;
    const double a = saturation * std::min(lightness, 1 - lightness);
    const auto f = [&](double n) {
        const double k = std::fmod(n + hue / 30, 12.0);
        return lightness - a * std::max(-1.0, std::min({k - 3, 9 - k, 1.0}));
    };
    return {f(0), f(8), f(4)};
}

Channels hwbToSrgb(const Channels &hwb)
{
    double white = hwb[1] / 100;
    double black = hwb[2] / 100;
    if (white + black >= 1) {
        const double grey = white / (white + black);
        return {grey, grey, grey};
    }
    const Channels pure = hslToSrgb({hwb[0], 100, 50});
    return each(pure, [&](double c) { return c * (1 - white - black) + white; });
}

// The hue of an sRGB colour, NaN for a grey.
double srgbHue(const Channels &rgb, double most, double range)
{
    if (range == 0)
        return NAN;
    double hue;
    if (most == rgb[0])
        hue = (rgb[1] - rgb[2]) / range + (rgb[1] < rgb[2] ? 6 : 0);
    else if (most == rgb[1])
        hue = (rgb[2] - rgb[0]) / range + 2;
    else
        hue = (rgb[0] - rgb[1]) / range + 4;
    return hue * 60;
}

Channels srgbToHsl(const Channels &rgb)
{
    const double most = std::max({rgb[0], rgb[1], rgb[2]});
    const double least = std::min({rgb[0], rgb[1], rgb[2]});
    const double lightness = (most + least) / 2;
    const double range = most - least;
    double hue = srgbHue(rgb, most, range);
    double saturation = 0;
    if (range != 0 && lightness != 0 && lightness != 1)
        saturation = (most - lightness) / std::min(lightness, 1 - lightness);
    // Far outside the gamut the saturation turns negative: the opposite hue.
    if (saturation < 0) {
        hue += 180;
        saturation = -saturation;
    }
    if (hue >= 360)
        hue -= 360;
    return {hue, saturation * 100, lightness * 100};
}

Channels srgbToHwb(const Channels &rgb)
{
    const double most = std::max({rgb[0], rgb[1], rgb[2]});
    const double least = std::min({rgb[0], rgb[1], rgb[2]});
    const double white = least;
    const double black = 1 - most;
    return {srgbHue(rgb, most, most - least), white * 100, black * 100};
}

Channels labToXyzD50(const Channels &lab)
{
    constexpr double kappa = 24389.0 / 27;
    constexpr double epsilon = 216.0 / 24389;
    const double f1 = (lab[0] + 16) / 116;
    const double f0 = lab[1] / 500 + f1;
    const double f2 = f1 - lab[2] / 200;
    const Channels xyz = {
        f0 * f0 * f0 > epsilon ? f0 * f0 * f0 : (116 * f0 - 16) / kappa,
        lab[0] > kappa * epsilon ? f1 * f1 * f1 : lab[0] / kappa,
        f2 * f2 * f2 > epsilon ? f2 * f2 * f2 : (116 * f2 - 16) / kappa,
    };
    return {xyz[0] * kD50White[0], xyz[1] * kD50White[1], xyz[2] * kD50White[2]};
}

Channels xyzD50ToLab(const Channels &xyz)
{
    constexpr double kappa = 24389.0 / 27;
    constexpr double epsilon = 216.0 / 24389;
    Channels f;
    for (int i = 0; i < 3; ++i) {
        const double scaled = xyz[i] / kD50White[i];
        f[i] = scaled > epsilon ? std::cbrt(scaled) : (kappa * scaled + 16) / 116;
    }
    return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

Channels oklabToXyz(const Channels &oklab)
{
    return multiply(kLmsToXyz, each(multiply(kOklabToLms, oklab), [](double c) { return c * c * c; }));
}

Channels xyzToOklab(const Channels &xyz)
{
    return multiply(kLmsToOklab, each(multiply(kXyzToLms, xyz), [](double c) { return std::cbrt(c); }));
}

Channels polarToRectangular(const Channels &lch)
{
    const double radians = lch[2] * kPi / 180;
    return {lch[0], lch[1] * std::cos(radians), lch[1] * std::sin(radians)};
}

Channels rectangularToPolar(const Channels &lab, double achromatic)
{
    const double chroma = std::sqrt(lab[1] * lab[1] + lab[2] * lab[2]);
    double hue = std::atan2(lab[2], lab[1]) * 180 / kPi;
    if (hue < 0)
        hue += 360;
    if (chroma <= achromatic)
        hue = NAN;
    return {lab[0], chroma, hue};
}

Channels toXyzD65(ColorSpace space, const Channels &c)
{
    switch (space) {
    case ColorSpace::Srgb:
        return multiply(kLinearSrgbToXyz, each(c, srgbToLinear));
    case ColorSpace::SrgbLinear:
        return multiply(kLinearSrgbToXyz, c);
    case ColorSpace::DisplayP3:
        return multiply(kLinearP3ToXyz, each(c, srgbToLinear));
    case ColorSpace::DisplayP3Linear:
        return multiply(kLinearP3ToXyz, c);
    case ColorSpace::A98Rgb:
        return multiply(kLinearA98ToXyz, each(c, a98ToLinear));
    case ColorSpace::ProphotoRgb:
        return multiply(kD50ToD65, multiply(kLinearProphotoToXyzD50, each(c, prophotoToLinear)));
    case ColorSpace::Rec2020:
        return multiply(kLinearRec2020ToXyz, each(c, rec2020ToLinear));
    case ColorSpace::XyzD50:
        return multiply(kD50ToD65, c);
    case ColorSpace::XyzD65:
        return c;
    case ColorSpace::Lab:
        return multiply(kD50ToD65, labToXyzD50(c));
    case ColorSpace::Lch:
        return multiply(kD50ToD65, labToXyzD50(polarToRectangular(c)));
    case ColorSpace::Oklab:
        return oklabToXyz(c);
    case ColorSpace::Oklch:
        return oklabToXyz(polarToRectangular(c));
    case ColorSpace::Hsl:
        return multiply(kLinearSrgbToXyz, each(hslToSrgb(c), srgbToLinear));
    case ColorSpace::Hwb:
        return multiply(kLinearSrgbToXyz, each(hwbToSrgb(c), srgbToLinear));
    }
    return c;
}

Channels fromXyzD65(ColorSpace space, const Channels &xyz)
{
    switch (space) {
    case ColorSpace::Srgb:
        return each(multiply(kXyzToLinearSrgb, xyz), linearToSrgb);
    case ColorSpace::SrgbLinear:
        return multiply(kXyzToLinearSrgb, xyz);
    case ColorSpace::DisplayP3:
        return each(multiply(kXyzToLinearP3, xyz), linearToSrgb);
    case ColorSpace::DisplayP3Linear:
        return multiply(kXyzToLinearP3, xyz);
    case ColorSpace::A98Rgb:
        return each(multiply(kXyzToLinearA98, xyz), linearToA98);
    case ColorSpace::ProphotoRgb:
        return each(multiply(kXyzD50ToLinearProphoto, multiply(kD65ToD50, xyz)), linearToProphoto);
    case ColorSpace::Rec2020:
        return each(multiply(kXyzToLinearRec2020, xyz), linearToRec2020);
    case ColorSpace::XyzD50:
        return multiply(kD65ToD50, xyz);
    case ColorSpace::XyzD65:
        return xyz;
    case ColorSpace::Lab:
        return xyzD50ToLab(multiply(kD65ToD50, xyz));
    case ColorSpace::Lch:
        return rectangularToPolar(xyzD50ToLab(multiply(kD65ToD50, xyz)), kLchAchromatic);
    case ColorSpace::Oklab:
        return xyzToOklab(xyz);
    case ColorSpace::Oklch:
        return rectangularToPolar(xyzToOklab(xyz), kOklchAchromatic);
    case ColorSpace::Hsl:
        return srgbToHsl(fromXyzD65(ColorSpace::Srgb, xyz));
    case ColorSpace::Hwb:
        return srgbToHwb(fromXyzD65(ColorSpace::Srgb, xyz));
    }
    return xyz;
}

bool isSrgbFamily(ColorSpace space)
{
    return space == ColorSpace::Srgb || space == ColorSpace::Hsl || space == ColorSpace::Hwb;
}

Channels srgbFamilyToSrgb(ColorSpace space, const Channels &c)
{
    if (space == ColorSpace::Hsl)
        return hslToSrgb(c);
    if (space == ColorSpace::Hwb)
        return hwbToSrgb(c);
    return c;
}

Channels srgbToFamily(ColorSpace space, const Channels &rgb)
{
    if (space == ColorSpace::Hsl)
        return srgbToHsl(rgb);
    if (space == ColorSpace::Hwb)
        return srgbToHwb(rgb);
    return rgb;
}

Channels present(const Color &color)
{
    Channels c = color.channels;
    for (int i = 0; i < 3; ++i) {
        if (color.missing[i])
            c[i] = 0;
    }
    return c;
}

struct Named
{
    std::string_view name;
    ColorSpace space;
};

constexpr Named kPredefined[] = {
    {"srgb", ColorSpace::Srgb},
    {"srgb-linear", ColorSpace::SrgbLinear},
    {"display-p3", ColorSpace::DisplayP3},
    {"display-p3-linear", ColorSpace::DisplayP3Linear},
    {"a98-rgb", ColorSpace::A98Rgb},
    {"prophoto-rgb", ColorSpace::ProphotoRgb},
    {"rec2020", ColorSpace::Rec2020},
    {"xyz", ColorSpace::XyzD65},
    {"xyz-d50", ColorSpace::XyzD50},
    {"xyz-d65", ColorSpace::XyzD65},
};

constexpr Named kWithFunctions[] = {
    {"lab", ColorSpace::Lab}, {"lch", ColorSpace::Lch}, {"oklab", ColorSpace::Oklab},
    {"oklch", ColorSpace::Oklch}, {"hsl", ColorSpace::Hsl}, {"hwb", ColorSpace::Hwb},
};

} // namespace

namespace ColorSpaces {

std::optional<ColorSpace> predefined(std::string_view name)
{
    for (const Named &entry : kPredefined) {
        if (entry.name == name)
            return entry.space;
    }
    return std::nullopt;
}

std::optional<ColorSpace> interpolation(std::string_view name)
{
    for (const Named &entry : kWithFunctions) {
        if (entry.name == name)
            return entry.space;
    }
    return predefined(name);
}

int hueIndex(ColorSpace space)
{
    switch (space) {
    case ColorSpace::Hsl:
    case ColorSpace::Hwb:
        return 0;
    case ColorSpace::Lch:
    case ColorSpace::Oklch:
        return 2;
    default:
        return -1;
    }
}

Channels toSrgb(const Color &color)
{
    const Channels c = present(color);
    if (isSrgbFamily(color.space))
        return srgbFamilyToSrgb(color.space, c);
    // Linear light and its encoding share their primaries: no matrix between them.
    if (color.space == ColorSpace::SrgbLinear)
        return each(c, linearToSrgb);
    return fromXyzD65(ColorSpace::Srgb, toXyzD65(color.space, c));
}

Channels toLinearSrgb(const Color &color)
{
    const Channels c = present(color);
    if (isSrgbFamily(color.space))
        return each(srgbFamilyToSrgb(color.space, c), srgbToLinear);
    if (color.space == ColorSpace::SrgbLinear)
        return c;
    return multiply(kXyzToLinearSrgb, toXyzD65(color.space, c));
}

Channels fromLinearSrgb(const Channels &light, ColorSpace to)
{
    if (isSrgbFamily(to))
        return srgbToFamily(to, each(light, linearToSrgb));
    return fromXyzD65(to, multiply(kLinearSrgbToXyz, light));
}

Channels fromSrgb(const Channels &srgb, ColorSpace to)
{
    if (isSrgbFamily(to))
        return srgbToFamily(to, srgb);
    return fromXyzD65(to, toXyzD65(ColorSpace::Srgb, srgb));
}

Color convert(const Color &color, ColorSpace to)
{
    Color result;
    result.space = to;
    result.alpha = color.alpha;
    result.missing[3] = color.missing[3];
    if (to == color.space) {
        result.channels = color.channels;
        result.missing = color.missing;
        return result;
    }
    const Channels c = present(color);
    if (isSrgbFamily(color.space) && isSrgbFamily(to))
        result.channels = srgbToFamily(to, srgbFamilyToSrgb(color.space, c));
    else
        result.channels = fromXyzD65(to, toXyzD65(color.space, c));
    const int hue = hueIndex(to);
    if (hue >= 0 && std::isnan(result.channels[hue])) {
        result.channels[hue] = 0;
        result.missing[hue] = true;
    }
    return result;
}

}

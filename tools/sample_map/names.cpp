#include "names.h"

#include <array>
#include <span>

namespace tessara {

namespace {

constexpr std::array<const char*, 30> kStarts{
    "Ash", "Bal", "Bram", "Carn", "Dal",  "Dun", "El",   "Fen", "Gor",  "Hal",
    "Kel", "Lin", "Mar",  "Nor",  "Oak",  "Pen", "Quen", "Rav", "Sel",  "Thorn",
    "Ul",  "Var", "Wen",  "Yar",  "Brig", "Cal", "Hart", "Mor", "Stan", "Wil"};
constexpr std::array<const char*, 8> kLinks{"a", "e", "in", "o", "en", "er", "ing", "le"};
constexpr std::array<const char*, 12> kInland{"by",  "ton",   "ham",    "wick",  "stead",   "burg",
                                              "ley", "combe", "thorpe", "field", "minster", "well"};
constexpr std::array<const char*, 4> kRiver{"ford", "bridge", "mere", "dale"};
constexpr std::array<const char*, 4> kCoast{"mouth", "haven", "port", "cliff"};
constexpr std::array<const char*, 5> kRegions{"dale", "moor", "land", "wold", "marsh"};

const char* pick(Random& random, std::span<const char* const> choices) {
    return choices[random.below(static_cast<int>(choices.size()))];
}

}  // namespace

QString NameMaker::root() {
    QString name = pick(random_, kStarts);
    // A linking syllable now and then, so that the names do not all have two, and always
    // after a start too short to stand as a word of its own.
    if (random_.unit() < 0.3 || name.size() < 3) {
        name += pick(random_, kLinks);
    }
    return name;
}

QString NameMaker::unused(const std::function<QString()>& make) {
    // Thirty starts and a dozen endings leave room for every town on the map.
    for (;;) {
        QString name = make();
        if (!used_.contains(name)) {
            used_.insert(name);
            return name;
        }
    }
}

QString NameMaker::town(Place place) {
    return unused([&] {
        QString name = root();
        double chance = random_.unit();
        if (place == Place::Coast && chance < 0.6) {
            return name + pick(random_, kCoast);
        }
        if (place == Place::River && chance < 0.6) {
            return name + pick(random_, kRiver);
        }
        return name + pick(random_, kInland);
    });
}

QString NameMaker::bay() {
    return unused([&] { return root() + (random_.unit() < 0.5 ? " Bay" : " Sound"); });
}

QString NameMaker::region() {
    return unused([&] { return root() + pick(random_, kRegions); });
}

}  // namespace tessara

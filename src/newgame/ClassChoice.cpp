#include "core/Character.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"
#include "core/ReadChoice.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

struct ClassTemplate {
    bool isWarrior;
    bool isMage;
    bool isRogue;
    std::int32_t health;
    std::int32_t mana;
    std::int32_t strength;
    std::int32_t attack;
    std::string_view greeting;
};

constexpr std::int32_t startingCoins = 200;

constexpr ClassTemplate warriorTemplate{.isWarrior = true,
    .isMage = false,
    .isRogue = false,
    .health = 200,
    .mana = 20,
    .strength = 50,
    .attack = 20,
    .greeting = "Прекрасно вы решили стать Воином! Это замечатльно именно таких нам и не хватает сейчас, а то все "
                "знаете ли магичить хотят, фу! Что может быть лучше топора?!"};

constexpr ClassTemplate mageTemplate{.isWarrior = false,
    .isMage = true,
    .isRogue = false,
    .health = 100,
    .mana = 100,
    .strength = 30,
    .attack = 10,
    .greeting = "Прекрасно вы решили стать Магом! Это замечатльно именно таких нам и не хватает сейчас, а то все "
                "знаете ли махать топором хотят, фу! Мозга выдимо у них нету!"};

constexpr ClassTemplate rogueTemplate{.isWarrior = false,
    .isMage = false,
    .isRogue = true,
    .health = 130,
    .mana = 20,
    .strength = 40,
    .attack = 15,
    .greeting = "Прекрасно вы решили стать Вором! Это замечатльно именно таких нам и не хватает сейчас, а то все "
                "знаете ли махать топором хотят, фу! Хитрость наше все!"};

void applyTemplate(Character& character, const ClassTemplate& column)
{
    character.isWarrior = column.isWarrior;
    character.isMage = column.isMage;
    character.isRogue = column.isRogue;
    character.exp = 0;
    character.health = column.health;
    character.mana = column.mana;
    character.strength = column.strength;
    character.coins = startingCoins;
    character.attack = column.attack;
    // A new hero starts at full health, mana and strength, so a template gives each number once.
    character.maxMana = character.mana;
    character.maxStrength = character.strength;
    character.maxHealth = character.health;
}

// The trainer greets the new hero, asks the name and hands over the starting coins.
void createCharacter(Character& character, const ClassTemplate& column, Console& console)
{
    applyTemplate(character, column);
    console.write(column.greeting);
    console.endLine();
    console.write("Что-то я заболтался, а как вас кстати зовут?\n");
    // One character is skipped, as the game always has: meant for the line break after the class
    // key, it takes the second letter of a whole word typed instead ("warrior" names "rrior").
    if (!console.readCharacterAsIs()) {
        return;
    }
    std::optional<std::string> name = console.readName();
    if (!name) {
        return;
    }
    character.name = std::move(*name);
    console.write("Вы поперхнулись? Ааа, это ваше имя, родители вас видимо не очень любили. Кстати я "
                  "совсем забыл, вот ваши начальные 200 монет. Не задерживайтесь, вам не одному надо "
                  "рассказать, про то кем можно стать.\n");
    console.endLine();
    console.write("получено 200 монет\n\n");
    console.pauseScreen();
    console.clearScreen();
}

void showClassList(Console& console)
{
    console.write("(W)arrior(Самое большое количество хп и выносливости)\n"
                  "(M)age(Умеет использовать магию)\n"
                  "(R)ogue(Умеет открывать сундуки и наносить крит.урон)\n");
}

} // namespace

void Character::becomeWarrior(Console& console)
{
    createCharacter(*this, warriorTemplate, console);
}

void Character::becomeMage(Console& console)
{
    createCharacter(*this, mageTemplate, console);
}

void Character::becomeRogue(Console& console)
{
    createCharacter(*this, rogueTemplate, console);
}

void chooseClass(Character& character, Console& console)
{
    console.endLine();
    const std::optional<char> ch = readChoice(console, "wmr", [&] { showClassList(console); });
    if (ch == 'w') {
        character.becomeWarrior(console);
    } else if (ch == 'm') {
        character.becomeMage(console);
    } else if (ch == 'r') {
        character.becomeRogue(console);
    }
}

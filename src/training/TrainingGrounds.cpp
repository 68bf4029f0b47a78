#include "core/Character.hpp"
#include "core/ClampedMath.hpp"
#include "core/Console.hpp"
#include "core/Game.hpp"
#include "core/ReadChoice.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::int32_t trainingPrice = 100;
constexpr std::int32_t trainingGain = 5;

struct Training {
    std::string_view offer;
    std::string_view success;
    std::string_view refusal;
    std::int32_t Character::*field;
};

// The line break inside "(y\n)" in each offer is the game's own text, kept as players know it.
constexpr Training staminaTraining{
    .offer = "Потренируюка я тебя сегодня на выносливость, ну не бесплатно конечно, 100 дашь?(y\n)\n",
    .success = "Ну и отлично давай приступим\nСпустя два час...\n"
               "Отлично потренировались приходи еще когда надумаешь\n\n\n",
    .refusal = "Приходи когда надумаешь\n",
    .field = &Character::maxStrength};

constexpr Training attackTraining{
    .offer = "Потренируюка я тебя сегодня на атаку, ну не бесплатно конечно, 100 дашь?(y\n)\n",
    .success = staminaTraining.success,
    .refusal = "Приходи когда надумаешь\n",
    .field = &Character::attack};

constexpr Training healthTraining{
    .offer = "Потренируюка я тебя сегодня на здоровье, ну не бесплатно конечно, 100 дашь?(y\n)\n",
    .success = "Ну и отлично давай приступим\nСпустя два час...\nОтлично потренировались приходи еще когда надумаешь",
    .refusal = "Приходи когда надумаешь",
    .field = &Character::maxHealth};

// The trainer offers, the player answers y to pay; the price is taken whatever the balance.
void runTraining(Character& character, Console& console, const Training& training)
{
    console.write(training.offer);
    const std::optional<std::string> choice = console.readCharacterAfterWhiteSpace();
    if (!choice) {
        return;
    }
    console.clearScreen();
    if (*choice == "y" || *choice == "Y") {
        console.write(training.success);
        console.endLine();
        character.*training.field = addClamped(character.*training.field, trainingGain);
        character.coins = addClamped(character.coins, -trainingPrice);
        console.write("-100 монет");
        console.endLine();
    } else {
        console.write(training.refusal);
    }
    console.pauseScreen();
    console.clearScreen();
}

void showTrainingMenu(Console& console)
{
    console.write("Какую тренировку предпочитаете в это время суток\n");
    console.write("Тренировка выносливости(S)\nТренировка силы атаки(A)\nТренировка Здоровья(H)\n");
    console.endLine();
}

void trainStamina(Character& character, Console& console)
{
    if (character.isMage) {
        console.write("Ты же маг, нафига тебе выносливость? Иди качай ману. Вот народ пошел, хотят все да "
                      "сразу, ей богу...\n");
        // Two pauses, each with its clear, are the game's own behaviour, kept as players know it.
        console.pauseScreen();
        console.clearScreen();
        console.pauseScreen();
        console.clearScreen();
        return;
    }
    runTraining(character, console, staminaTraining);
}

void trainAttack(Character& character, Console& console)
{
    runTraining(character, console, attackTraining);
}

void trainHealth(Character& character, Console& console)
{
    runTraining(character, console, healthTraining);
}

} // namespace

void runTrainingMenu(Character& character, Console& console)
{
    const std::optional<char> choice = readChoice(console, "sah", [&] { showTrainingMenu(console); });
    if (!choice) {
        return;
    }
    console.clearScreen();
    if (*choice == 's') {
        trainStamina(character, console);
    } else if (*choice == 'a') {
        trainAttack(character, console);
    } else {
        trainHealth(character, console);
    }
}

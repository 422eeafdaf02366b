#include "text/NameCheck.h"

namespace quorvel {

const char* nameProblem(std::string_view name) {
    if (name.empty())
        return "Le nom est vide.";
    if (name == "." || name == "..")
        return "Les noms « . » et « .. » sont réservés.";
    for (const char c : name) {
        if (c == '/')
            return "Un nom ne peut pas contenir le caractère « / ».";
        if (c == '\0')
            return "Un nom ne peut pas contenir de caractère nul.";
    }
    if (name.size() > 255)
        return "Le nom dépasse 255 octets.";
    if (name.front() == '.')
        return "Un nom ne peut pas commencer par « . » : le fichier serait caché et le programme "
               "ne pourrait plus le montrer.";
    return nullptr;
}

std::optional<char> forbiddenTypedCharacter(std::string_view text) {
    for (const char c : text) {
        if (c == '/' || c == '*' || c == '?' || c == '\0')
            return c;
    }
    return std::nullopt;
}

const char* typedCharacterProblem(std::string_view text) {
    for (const char c : text) {
        if (c == '*' || c == '?')
            return "Un nom ne peut pas contenir les caractères « * » ou « ? ».";
    }
    return nullptr;
}

const char* typedPrefixProblem(std::string_view text) {
    if (forbiddenTypedCharacter(text))
        return "Le texte à rajouter ne peut pas contenir les caractères « / », « * », « ? » "
               "ni de caractère nul.";
    return nullptr;
}

const char* typedTypeProblem(std::string_view text) {
    for (const char c : text) {
        if (c == '/')
            return "Une extension ne peut pas contenir le caractère « / ».";
        if (c == '\0')
            return "Une extension ne peut pas contenir de caractère nul.";
    }
    return nullptr;
}

std::string_view typedType(std::string_view text) {
    const std::size_t start = text.find_first_not_of('.');
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

const char* typedNameProblem(std::string_view name) {
    if (const char* problem = nameProblem(name))
        return problem;
    return typedCharacterProblem(name);
}

} // namespace quorvel

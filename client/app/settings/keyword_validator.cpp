#include "client/app/settings/keyword_validator.h"

#include "client/app/settings/recording_choice.h"

namespace client {

QValidator::State KeywordValidator::validate(QString& input, int& pos) const {
    QString kept;
    kept.reserve(input.size());
    int keptPos = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        // Surrogate halves are parts of characters outside the first plane: always allowed.
        const bool allowed = c.isSurrogate() || IsKeywordCharacterAllowed(c.unicode());
        if (allowed) kept.append(c);
        if (allowed && i < pos) ++keptPos;
    }
    input = kept;
    pos = keptPos;
    return Acceptable;
}

}  // namespace client

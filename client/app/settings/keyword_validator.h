// Keeps the characters the recording keyword may not hold out of its edit, whether typed or pasted.
#pragma once

#include <QValidator>

namespace client {

class KeywordValidator : public QValidator {
    Q_OBJECT

  public:
    using QValidator::QValidator;
    // Removes every character the keyword may not hold (the cursor keeps its place in what
    // remains) and accepts the rest.
    State validate(QString& input, int& pos) const override;
};

}  // namespace client

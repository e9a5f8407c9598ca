// SPDX-License-Identifier: MIT
// CLinkLabel: a text in the window's font, underlined, in blue (0, 0, 230), with the
// hand cursor over it; a click opens its target with the default program.
#pragma once

#include <QLabel>
#include <string>

namespace kavlo::core {
class Platform;
}  // namespace kavlo::core

namespace kavlo::qt {

class CLinkLabel : public QLabel {
    Q_OBJECT
public:
    /// `platform` opens the target; without one only clicked() is emitted.
    CLinkLabel(const QString& text, std::string target, core::Platform* platform,
               QWidget* parent = nullptr);

    void setTarget(std::string target) { m_target = std::move(target); }
    const std::string& target() const { return m_target; }

signals:
    /// Emitted on every click inside the text, before the target is opened.
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void activate();

    std::string m_target;
    core::Platform* m_platform;
};

}  // namespace kavlo::qt

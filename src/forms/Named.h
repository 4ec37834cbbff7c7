// Controls are made and named in one line, so every control carries the name
// the windows, tests and screenshots know it by.
//   auto* cmdEnd = named<QPushButton>(this, "cmdEnd", QStringLiteral("閉じる(&X)"));
//   cmdOK = namedArray<QPushButton, 4>(frmMenu, "cmdOK", {QStringLiteral("追加(&A)"), ...});
#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <utility>

template <class T, class... Args>
T* named(QWidget* parent, const QString& name, Args&&... args)
{
    auto* control = new T(std::forward<Args>(args)..., parent);
    control->setObjectName(name);
    return control;
}

// A control array: base_0, base_1, ..., each made with its own text.
template <class T, std::size_t N>
std::array<T*, N> namedArray(QWidget* parent, const QString& base, const std::array<QString, N>& texts)
{
    std::array<T*, N> controls{};
    for (std::size_t i = 0; i < N; ++i)
        controls[i] = named<T>(parent, base + QLatin1Char('_') + QString::number(i), texts[i]);
    return controls;
}

// A control array of controls made without a text.
template <class T, std::size_t N>
std::array<T*, N> namedArray(QWidget* parent, const QString& base)
{
    std::array<T*, N> controls{};
    for (std::size_t i = 0; i < N; ++i)
        controls[i] = named<T>(parent, base + QLatin1Char('_') + QString::number(i));
    return controls;
}

// The Tab key visits the controls in this order, as a window lays them out.
inline void subTabOrder(std::initializer_list<QWidget*> controls)
{
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

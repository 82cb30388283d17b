// Velmora — 编辑 > 校正规则: the rule 校正 applies, one of three, kept across starts.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSettings>

#include "core/correction_rule.h"
#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {

const char *const kRuleKey = "correction/rule";

} // namespace

void MainForm::buildRuleMenu()
{
    m_commands.rule = new QMenu(text::Tr(text::kRuleMenu), this);
    auto *rules = new QActionGroup(this);
    const std::pair<Rule, const char *> entries[] = {{Rule::Design, text::kRuleDesignCommand},
                                                     {Rule::Exact, text::kRuleExactCommand},
                                                     {Rule::Curve, text::kRuleCurveCommand}};
    for (const auto &[rule, caption] : entries) {
        QAction *a = m_commands.rule->addAction(text::Tr(caption));
        a->setCheckable(true);
        a->setData(QString::fromLatin1(RuleName(rule)));
        a->setObjectName(QStringLiteral("rule_") + QString::fromLatin1(RuleName(rule)));
        rules->addAction(a);
    }
    // A name this version does not know (written by a later one) leaves the design's rule.
    const QString kept = QSettings().value(kRuleKey, QString::fromLatin1(RuleName(Rule::Design))).toString();
    m_rule = RuleOfName(kept.toStdString()).value_or(Rule::Design);
    for (QAction *a : rules->actions())
        a->setChecked(a->data().toString() == QString::fromLatin1(RuleName(m_rule)));
    connect(rules, &QActionGroup::triggered, this,
            [this](QAction *a) { setRule(RuleOfName(a->data().toString().toStdString()).value_or(Rule::Design)); });
}

void MainForm::setRule(Rule rule)
{
    m_rule = rule;
    for (QAction *a : m_commands.rule->actions())
        a->setChecked(a->data().toString() == QString::fromLatin1(RuleName(rule)));
    QSettings().setValue(kRuleKey, QString::fromLatin1(RuleName(rule)));
}

} // namespace velmora

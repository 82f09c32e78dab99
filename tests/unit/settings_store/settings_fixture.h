#pragma once

#include "platform/registry/registry.h"
#include "settings/store/settings_store.h"
#include "support/test_env.h"

#include <QDir>

#include <gtest/gtest.h>

#include <memory>

// Gives each test a registry file of its own and makes the settings use it.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        const QString folder = brindle::test::TemporaryHome() + QStringLiteral("settings/") + QString::fromLatin1(info->test_suite_name())
                               + QLatin1Char('.') + QString::fromLatin1(info->name()) + QLatin1Char('/');
        QDir(folder).removeRecursively();
        m_registry = std::make_unique<brindle::Registry>(folder + QStringLiteral("registry.sqlite3"));
        brindle::SetSettingsRegistry(m_registry.get());
    }
    void TearDown() override
    {
        brindle::SetSettingsRegistry(nullptr);
        m_registry.reset();
    }

    brindle::Registry &Store() { return *m_registry; }

private:
    std::unique_ptr<brindle::Registry> m_registry;
};

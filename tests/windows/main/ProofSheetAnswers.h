#pragma once
// Answering the proof sheet in the user's place once it is shown modally.

#include "support/MadeExamination.h"
#include "widgets/WindowControls.h"
#include "windows/main/ProofSheet.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// Once the next proof sheet is shown modally and its face review has come
// back: lets `look` see it, then presses "确定设置" (ticking "我已核对错位提示"
// when it is shown) or "取消". Nothing waits inside an event's handler: the
// answer is an event of its own once the review's result has arrived.
inline void AnswerNextProofSheet(bool approve, std::function<void(TProofSheet&)> look = {})
{
    QTimer::singleShot(0, [approve, look = std::move(look)] {
        auto* sheet = qobject_cast<TProofSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr) << "no proof sheet shown";
        const auto answer = [sheet, approve, look] {
            if (look)
                look(*sheet);
            auto& controls = Controls(*sheet);
            if (approve && controls.shiftCheckedBox->isVisible())
                controls.shiftCheckedBox->setChecked(true);
            QTest::mouseClick(approve ? controls.approveButton : controls.cancelButton, Qt::LeftButton);
        };
        if (sheet->FacesAreChecked())
            answer();
        else
            QObject::connect(sheet, &TProofSheet::FacesChecked, sheet, answer, Qt::QueuedConnection);
    });
}

// Waits, outside any event's handler, until the sheet's face review has come back.
inline void WaitForFaceReview(TProofSheet& sheet)
{
    QSignalSpy checked(&sheet, &TProofSheet::FacesChecked);
    if (!sheet.FacesAreChecked())
        checked.wait(60000);
    ASSERT_TRUE(sheet.FacesAreChecked());
}

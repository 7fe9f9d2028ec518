#include "toolkit/list_reading.h"
#include "files/fs_call.h"
#include "files/runtime_error.h"
#include <QAbstractItemView>
#include <QPainter>
#include <memory>
#include <optional>

ListReading::ListReading(QAbstractItemView* list) : QObject(list), list_(list) {
    giveUp_.setSingleShot(true);
    giveUp_.setInterval(kGiveUpMs);
    connect(&giveUp_, &QTimer::timeout, this,
            [this] { setText(place_ + QStringLiteral(" does not answer")); });
}

bool ListReading::start(const QString& path, std::function<FolderRead()> work,
                        const std::function<void(FolderRead&&)>& show) {
    const quint64 serial = ++serial_;
    giveUp_.stop();
    // The answer within the short wait is kept here and handled below, where an error may be thrown.
    auto early = std::make_shared<std::optional<FolderRead>>();
    auto late = std::make_shared<bool>(false);
    const FsOutcome outcome =
        fsCall<FolderRead>(path, std::move(work), this, [this, serial, early, late, show](FolderRead&& read) {
            if (*late)
                answered(serial, std::move(read), show);
            else
                early->emplace(std::move(read));
        });
    if (outcome == FsOutcome::Answered) {
        setText(QString());
        if ((*early)->error)
            throw RuntimeError((*early)->error);
        show(std::move(**early));
        return true;
    }
    *late = true;
    place_ = fsPlaceOf(path); // named only in the waiting texts: the mount table is not read again otherwise
    if (outcome == FsOutcome::NotAnswering) {
        setText(place_ + QStringLiteral(" does not answer"));
    } else {
        setText(QStringLiteral("Waiting for ") + place_ + QStringLiteral(" …"));
        giveUp_.start();
    }
    return false;
}

void ListReading::forget() {
    ++serial_;
    giveUp_.stop();
    setText(QString());
}

void ListReading::answered(quint64 serial, FolderRead&& read, const std::function<void(FolderRead&&)>& show) {
    if (serial != serial_) // the user has gone elsewhere meanwhile
        return;
    giveUp_.stop();
    if (read.error) {
        setText(place_ + QStringLiteral(": ") + RuntimeError::describe(read.error));
        return;
    }
    setText(QString());
    show(std::move(read));
}

void ListReading::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    list_->setAccessibleDescription(text);
    list_->viewport()->update();
}

void ListReading::paint() const {
    if (text_.isEmpty())
        return;
    QPainter painter(list_->viewport());
    const QAbstractItemModel* model = list_->model();
    const int rows = model ? model->rowCount() : 0;
    const int top = rows > 0 ? list_->visualRect(model->index(rows - 1, 0)).bottom() + 1 : 0;
    QRect area = list_->viewport()->rect().adjusted(4, top, -4, 0);
    painter.setPen(list_->palette().color(QPalette::Disabled, QPalette::Text));
    painter.setFont(list_->font());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
}

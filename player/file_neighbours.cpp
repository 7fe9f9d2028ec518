#include "player/file_neighbours.h"

#include "media/media_player.h"
#include "toolkit/file_list.h"

#include <QCoreApplication>
#include <QKeyEvent>

FileNeighbours::FileNeighbours(FileList* list, MediaPlayer* player)
    : QObject(player), list_(list), player_(player) {
    QAbstractItemModel* model = list_->model();
    connect(model, &QAbstractItemModel::modelReset, this, &FileNeighbours::tell);
    connect(model, &QAbstractItemModel::layoutChanged, this, &FileNeighbours::tell);
    connect(model, &QAbstractItemModel::rowsInserted, this, &FileNeighbours::tell);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FileNeighbours::tell);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FileNeighbours::tell);
    connect(player_, &MediaPlayer::neighbourWanted, this, &FileNeighbours::go);
    tell();
}

// Only a file chosen in the list has neighbours: with none chosen, Down would choose the first.
void FileNeighbours::tell() {
    const QModelIndexList chosen = list_->selectionModel()->selectedIndexes();
    const int row = chosen.isEmpty() ? -1 : chosen.first().row();
    player_->setNeighbours(row > 0, row >= 0 && row + 1 < list_->model()->rowCount());
}

void FileNeighbours::go(int step) {
    if (!list_)
        return;
    QKeyEvent press(QEvent::KeyPress, step > 0 ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(list_, &press);
}

#include "PhotoGraphicsScene.h"

PhotoGraphicsScene::PhotoGraphicsScene(QObject *parent) : QGraphicsScene(parent)
{
    setBackgroundBrush(QBrush(Qt::lightGray, Qt::SolidPattern));
}

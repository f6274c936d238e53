#include "AnswerTable.h"

#include <QString>
#include <QTest>

void AnswerTable::addColumns()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");
}

SNResponse AnswerTable::answer(const QByteArray &headerName)
{
    QFETCH(int, status);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, body);
    SNResponse response;
    response.status = status;
    response.headers = {{headerName, header}};
    response.body = body;
    return response;
}

// A deliberate data race on a QThread, for the ThreadSanitizer build: the test passes only if
// the report comes out. It guards the suppressions, which once matched every stack with a Qt
// frame in it and so silenced every race on a QThread worker or in a slot.
#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int value = 0;
  std::unique_ptr<QThread> thread(QThread::create([&value] { value = 1; }));
  thread->start();
  value = 2;  // unordered with the thread's write: a race, whoever comes first
  thread->wait();
  std::printf("value %d\n", value);
  return 0;
}

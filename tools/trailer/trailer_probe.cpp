// A program with nothing to do: the cross build stamps it to prove its stamping step.
int main() {
  return 0;
}

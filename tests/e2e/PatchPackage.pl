#!/usr/bin/perl
# Damages one member of a package the way a scenario needs it:
#   PatchPackage.pl PACKAGE drop MEMBER    renames the member: it is no longer found
#   PatchPackage.pl PACKAGE notbmp MEMBER  its data no longer begins with "BM"
#   PatchPackage.pl PACKAGE replace MEMBER OLD NEW
#                                          the member's first OLD becomes NEW, both
#                                          UTF-8 here and code page 932 in the
#                                          member, of the same length there: makes
#                                          settings that setuppack would refuse
# MEMBER is compared case-insensitively, as the launcher looks members up.
use strict;
use warnings;
use Encode qw(encode decode);

my ($path, $action, $member, $old, $new) = @ARGV;
die "usage: PatchPackage.pl PACKAGE drop|notbmp|replace MEMBER [OLD NEW]\n" unless defined $member;
open(my $package, '+<:raw', $path) or die "$path: $!\n";
read($package, my $header, 8) == 8 or die "$path: no header\n";
my ($magic, $count) = unpack('a4 l<', $header);
die "$path: not a package\n" unless $magic eq 'ARC1';

my $position = 8;
for (1 .. $count) {
  seek($package, $position, 0);
  read($package, my $entry, 9) == 9 or die "$path: index ends early\n";
  my ($offset, $size, $length) = unpack('V V C', $entry);
  read($package, my $name, $length) == $length or die "$path: index ends early\n";
  if (lc($name) eq lc($member)) {
    if ($action eq 'drop') {
      die "$path: empty name\n" unless $length;
      seek($package, $position + 9 + $length - 1, 0);
      print $package '_';
    } elsif ($action eq 'replace') {
      my ($from, $to) = map { encode('cp932', decode('UTF-8', $_)) } ($old, $new);
      die "$path: OLD and NEW differ in length\n" unless length($from) == length($to);
      seek($package, $offset, 0);
      read($package, my $data, $size) == $size or die "$path: $member is cut short\n";
      my $at = index($data, $from);
      die "$path: $member holds no $old\n" if $at < 0;
      seek($package, $offset + $at, 0);
      print $package $to;
    } elsif ($action eq 'notbmp') {
      die "$path: $member is too short\n" if $size < 2;
      seek($package, $offset, 0);
      print $package 'XX';
    } else {
      die "unknown action $action\n";
    }
    close($package) or die "$path: $!\n";
    exit 0;
  }
  $position += 9 + $length;
}
die "$path: no member $member\n";
